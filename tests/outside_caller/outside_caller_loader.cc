#include "tests/outside_caller/outside_caller.h"

#include <filesystem>

#include "tests/child_process.h"

namespace {

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function** function) {
  *function =
      reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
  return *function != nullptr;
}

}  // namespace

std::optional<OutsideCaller> OutsideCaller::Load(const std::wstring& path) {
  OutsideCaller caller;
  caller.module_.reset(::LoadLibraryW(path.c_str()));
  const HMODULE module = caller.module_.get();
  if (!module || !Resolve(module, "OutsideWriteFile", &caller.write_file) ||
      !Resolve(module, "OutsideRegOpenKeyExW", &caller.reg_open_key_ex_w) ||
      !Resolve(module, "OutsideRegQueryValueExW", &caller.reg_query_value_ex_w) ||
      !Resolve(module, "OutsideCreateWindowExW", &caller.create_window_ex_w) ||
      !Resolve(module, "OutsideInternetSetCookieExW", &caller.internet_set_cookie_ex_w) ||
      !Resolve(module, "OutsideInternetSetCookieW", &caller.internet_set_cookie_w) ||
      !Resolve(module, "OutsideInternetSetCookieExA", &caller.internet_set_cookie_ex_a) ||
      !Resolve(module, "OutsideInternetSetCookieA", &caller.internet_set_cookie_a) ||
      !Resolve(module, "OutsideInternetOpenW", &caller.internet_open_w) ||
      !Resolve(module, "OutsideInternetSetStatusCallbackA",
               &caller.internet_set_status_callback_a)) {
    return std::nullopt;
  }
  return caller;
}

bool CopyOutsideCaller(const std::wstring& folder, const std::wstring& file_name) {
  const std::wstring source =
      std::filesystem::path(CurrentTestProgram()).replace_filename(OutsideCaller::kFileName);
  return ::CopyFileW(source.c_str(), (folder + L"\\" + file_name).c_str(), FALSE) != FALSE;
}
