#include "ie_control/wnd_proc_hook.h"

#include <gtest/gtest.h>

#include "ui_base/ax_test_util.h"

namespace {

constexpr UINT kEcho = WM_APP + 10;   // answers wParam + lParam
constexpr UINT kFault = WM_APP + 11;  // faults first

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kFault) {
    volatile UINT_PTR address = 0x10;
    *reinterpret_cast<volatile int*>(address) = 1;
  }
  if (message == kEcho || message == kFault)
    return static_cast<LRESULT>(wparam + lparam);
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

class Hook : public CWndProcHook {};

TEST(WndProcHookTest, HooksOneLiveWindowOnceAndFaultsEndTheMessageWithZero) {
  const unique_hwnd window = CreatePlainWindow();
  ASSERT_TRUE(window);
  ::SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TestProc));
  Hook hook;
  EXPECT_FALSE(hook.HookWindow(nullptr));
  ASSERT_TRUE(hook.HookWindow(window.get()));
  // A second hook of the window would find itself as the procedure behind.
  ASSERT_FALSE(hook.HookWindow(window.get()));
  EXPECT_EQ(::SendMessageW(window.get(), kFault, 1, 2), 0);
  EXPECT_EQ(::SendMessageW(window.get(), kEcho, 40, 2), 42);  // still working
  EXPECT_EQ(GuardedWndProc(window.get(), kEcho, 1, 2), 3);
  hook.UnhookWindow();
  EXPECT_EQ(::GetWindowLongPtrW(window.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&TestProc));
  EXPECT_EQ(::GetPropW(window.get(), kWndProcHookProperty), nullptr);
  EXPECT_EQ(GuardedWndProc(window.get(), kEcho, 1, 2), 0) << "no procedure to call";
}

}  // namespace
