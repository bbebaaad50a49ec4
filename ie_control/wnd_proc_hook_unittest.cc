#include "ie_control/wnd_proc_hook.h"

#include <gtest/gtest.h>

#include "ui_base/ax_test_util.h"
#include "ui_base/window_impl.h"

namespace {

constexpr UINT kEcho = WM_APP + 10;   // answers wParam + lParam
constexpr UINT kFault = WM_APP + 11;  // faults inside the procedure

int g_calls = 0;

LRESULT CALLBACK TestProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kEcho) {
    ++g_calls;
    return static_cast<LRESULT>(wparam + lparam);
  }
  if (message == kFault) {
    ++g_calls;
    volatile UINT_PTR address = 0x10;
    *reinterpret_cast<volatile int*>(address) = 1;
    return 7;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

class Hook : public CWndProcHook {};

class WndProcHookTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls = 0;
    window_ = CreatePlainWindow();
    ASSERT_TRUE(window_);
    ::SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TestProc));
  }

  LONG_PTR Proc() const { return ::GetWindowLongPtrW(window_.get(), GWLP_WNDPROC); }

  unique_hwnd window_;
};

TEST_F(WndProcHookTest, HooksOneLiveWindowOnceAndFaultsEndTheMessageWithZero) {
  Hook hook;
  EXPECT_FALSE(hook.HookWindow(nullptr));
  ASSERT_TRUE(hook.HookWindow(window_.get()));
  // A second hook of the window would find itself as the procedure behind.
  ASSERT_FALSE(hook.HookWindow(window_.get()));
  EXPECT_EQ(::SendMessageW(window_.get(), kFault, 0, 0), 0);
  EXPECT_EQ(::SendMessageW(window_.get(), kEcho, 40, 2), 42);  // still working
  EXPECT_EQ(GuardedWndProc(window_.get(), kEcho, 1, 2), 3);
  hook.UnhookWindow();
  EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&TestProc));
  EXPECT_EQ(::GetPropW(window_.get(), kWndProcHookProperty), nullptr);
  EXPECT_EQ(GuardedWndProc(window_.get(), kEcho, 1, 2), 0) << "no procedure to call";
}

}  // namespace
