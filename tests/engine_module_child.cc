#include "tests/engine_module_child.h"

#include <system_error>
#include <utility>

#include "tests/child_process.h"

namespace fs = std::filesystem;

namespace {

std::wstring OverridesKey(const std::wstring& child_name) {
  return L"Software\\Wine\\AppDefaults\\" + child_name + L"\\DllOverrides";
}

}  // namespace

EngineModuleChild::EngineModuleChild(const std::wstring& child_name, const std::wstring& module)
    : overrides_(HKEY_CURRENT_USER, OverridesKey(child_name)),
      folder_(fs::temp_directory_path() /
              (fs::path(child_name).stem().wstring() + std::to_wstring(::GetCurrentProcessId()))),
      program_(folder_ / child_name) {
  std::error_code error;
  fs::remove_all(folder_, error);
  const wchar_t native[] = L"native,builtin";
  ok_ = fs::create_directories(folder_, error) &&
        fs::copy_file(CurrentTestProgram(), program_, error) &&
        CopyOutsideCaller(folder_.wstring(), OutsideCaller::kFileName) &&
        CopyOutsideCaller(folder_.wstring(), module) &&
        ::RegSetKeyValueW(HKEY_CURRENT_USER, OverridesKey(child_name).c_str(),
                          fs::path(module).stem().c_str(), REG_SZ, native,
                          sizeof(native)) == ERROR_SUCCESS;
}

EngineModuleChild::~EngineModuleChild() {
  std::error_code error;
  fs::remove_all(folder_, error);
}

std::optional<DWORD> EngineModuleChild::Run(const char* routine) const {
  return RunChild(program_.wstring(), routine);
}

std::optional<EngineAndOtherCaller> LoadEngineAndOtherCaller(const std::wstring& module) {
  const fs::path folder = fs::path(CurrentTestProgram()).parent_path();
  std::optional<OutsideCaller> engine = OutsideCaller::Load(folder / module);
  std::optional<OutsideCaller> other = OutsideCaller::Load(folder / OutsideCaller::kFileName);
  if (!engine || !other)
    return std::nullopt;
  return EngineAndOtherCaller{std::move(*engine), std::move(*other)};
}
