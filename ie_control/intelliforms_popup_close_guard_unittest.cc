#include "ie_control/intelliforms_popup_close_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "tests/child_process.h"
#include "tests/engine_module_child.h"
#include "utils/scoped_handle.h"

// The hook is permanent, so the guard runs in a child process, where the
// outside caller stands in for the engine's frame module.
namespace {

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
  const std::optional<EngineAndOtherCaller> callers = LoadEngineAndOtherCaller(kFrameModule);
  CHILD_CHECK(::RegisterClassW(&window_class) && callers);
  CHILD_CHECK(InstallIntelliFormsGuard());
  CHILD_CHECK(!InstallIntelliFormsGuard());
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const DWORD before = ::GetTickCount();
    MarkPopupClose();
    const unique_hwnd from_engine = CreateSuggestion(callers->engine);
    const unique_hwnd from_other = CreateSuggestion(callers->other);
    // Only when every creation fell inside the guard is the outcome certain.
    if (::GetTickCount() - before <= 800)
      return !from_engine && from_other ? 0 : __LINE__;
  }
  return __LINE__;
}

}  // namespace

TEST(IntelliFormsPopupCloseGuardTest, BlocksTheEnginesSuggestionWindowRightAfterAClose) {
  const EngineModuleChild child(kChildName, kFrameModule);
  ASSERT_TRUE(child.ok());
  EXPECT_EQ(child.Run("PopupGuardBlocksOnlyTheEngineRightAfterAClose"), 0u);
}
