#include "ie_control/intelliforms_popup_close_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "engine_config/hook/hook_engine.h"
#include "tests/child_process.h"
#include "tests/outside_caller/outside_caller.h"
#include "tests/scoped_registry_backup.h"
#include "utils/scoped_handle.h"

// The hook is permanent, so the guard runs in a child process: a copy of this
// program under a name of its own, for which Wine is told to load the
// engine's frame module from our file. The copy of the outside caller named
// "ieframe.dll" then stands in for the engine's frame module, and calls from
// it count as the engine's.
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kChildName[] = L"tb_popup_guard_child.exe";
constexpr wchar_t kFrameModule[] = L"ieframe.dll";
constexpr wchar_t kSuggestionClass[] = L"IntelliFormClass";
constexpr wchar_t kSuggestionName[] = L"IntelliFormProxy";
// Attempts at timing a creation inside the guard before giving up; a single
// one fails only when the machine stalls for most of a second.
constexpr int kAttempts = 5;

// Creates the suggestion window, message-only, through `caller`; null when
// refused.
unique_hwnd CreateSuggestion(const OutsideCaller& caller) {
  return unique_hwnd(caller.create_window_ex_w(0, kSuggestionClass, kSuggestionName, 0, 0, 0, 0, 0,
                                               HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                                               nullptr));
}

// When the guard runs out is the rule's to show.
TB_CHILD_ROUTINE(PopupGuardBlocksOnlyTheEngineRightAfterAClose) {
  const WNDCLASSW window_class = {.lpfnWndProc = ::DefWindowProcW,
                                  .hInstance = ::GetModuleHandleW(nullptr),
                                  .lpszClassName = kSuggestionClass};
  const fs::path folder = fs::path(CurrentTestProgram()).parent_path();
  const std::optional<OutsideCaller> engine = OutsideCaller::Load(folder / kFrameModule);
  const std::optional<OutsideCaller> other = OutsideCaller::Load(folder / OutsideCaller::kFileName);
  CHILD_CHECK(::RegisterClassW(&window_class) && engine && other);
  // The stand-in really is what the process knows as the frame module.
  CHILD_CHECK(IsAddressInModule(kFrameModule, reinterpret_cast<void*>(engine->create_window_ex_w)));
  CHILD_CHECK(InstallIntelliFormsGuard());
  CHILD_CHECK(!InstallIntelliFormsGuard());
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const DWORD before = ::GetTickCount();
    MarkPopupClose();
    const unique_hwnd from_engine = CreateSuggestion(*engine);
    const unique_hwnd from_other = CreateSuggestion(*other);
    // Only when every creation fell inside the guard is the outcome certain.
    if (::GetTickCount() - before <= 800)
      return !from_engine && from_other ? 0 : __LINE__;
  }
  return __LINE__;
}

// Wine loads the child's "ieframe.dll" from its folder.
class IntelliFormsPopupCloseGuardTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(CurrentTestProgram(), folder_ / kChildName);
    ASSERT_TRUE(CopyOutsideCaller(folder_.wstring(), OutsideCaller::kFileName));
    ASSERT_TRUE(CopyOutsideCaller(folder_.wstring(), kFrameModule));
    const wchar_t native[] = L"native,builtin";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kOverridesKey, L"ieframe", REG_SZ, native,
                                sizeof(native)),
              ERROR_SUCCESS);
  }
  void TearDown() override { fs::remove_all(folder_); }

  static constexpr wchar_t kOverridesKey[] =
      L"Software\\Wine\\AppDefaults\\tb_popup_guard_child.exe\\DllOverrides";
  ScopedRegistryKeyBackup overrides_{HKEY_CURRENT_USER, kOverridesKey};
  const fs::path folder_ =
      fs::temp_directory_path() / ("tb_popup_guard_" + std::to_string(::GetCurrentProcessId()));
};

}  // namespace

TEST_F(IntelliFormsPopupCloseGuardTest, BlocksTheEnginesSuggestionWindowRightAfterAClose) {
  EXPECT_EQ(
      RunChild((folder_ / kChildName).wstring(), "PopupGuardBlocksOnlyTheEngineRightAfterAClose"),
      0u);
}
