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

TEST_F(WndProcHookTest, GuardedProcedureCallsThePreviousOneWithTheSameArguments) {
  Hook hook;
  ASSERT_TRUE(hook.HookWindow(window_.get()));
  EXPECT_EQ(hook.hooked_window(), window_.get());
  EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&GuardedWndProc));
  EXPECT_EQ(::GetPropW(window_.get(), kWndProcHookProperty), reinterpret_cast<HANDLE>(&TestProc));
  EXPECT_EQ(::SendMessageW(window_.get(), kEcho, 40, 2), 42);
  EXPECT_EQ(g_calls, 1);
}

TEST_F(WndProcHookTest, FaultInsideTheProcedureEndsTheMessageWithZero) {
  Hook hook;
  ASSERT_TRUE(hook.HookWindow(window_.get()));
  EXPECT_EQ(::SendMessageW(window_.get(), kFault, 0, 0), 0);
  EXPECT_EQ(g_calls, 1);
  // The window goes on working.
  EXPECT_EQ(::SendMessageW(window_.get(), kEcho, 1, 2), 3);
  EXPECT_EQ(::SendMessageW(window_.get(), kFault, 0, 0), 0);
  EXPECT_EQ(g_calls, 3);
}

TEST_F(WndProcHookTest, WindowWithoutThePropertyGetsZero) {
  EXPECT_EQ(GuardedWndProc(window_.get(), kEcho, 1, 2), 0);
  EXPECT_EQ(g_calls, 0);
}

TEST_F(WndProcHookTest, UnhookPutsThePreviousProcedureBack) {
  Hook hook;
  ASSERT_TRUE(hook.HookWindow(window_.get()));
  hook.UnhookWindow();
  EXPECT_EQ(hook.hooked_window(), nullptr);
  EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&TestProc));
  EXPECT_EQ(::GetPropW(window_.get(), kWndProcHookProperty), nullptr);
  EXPECT_EQ(::SendMessageW(window_.get(), kEcho, 2, 2), 4);
  hook.UnhookWindow();  // a second time does nothing
  EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&TestProc));
}

TEST_F(WndProcHookTest, DestructorUnhooks) {
  {
    Hook hook;
    ASSERT_TRUE(hook.HookWindow(window_.get()));
  }
  EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&TestProc));
}

TEST_F(WndProcHookTest, ProcedurePutInFrontSinceKeepsTheGuardBehindIt) {
  Hook hook;
  ASSERT_TRUE(hook.HookWindow(window_.get()));
  ::SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
  hook.UnhookWindow();
  EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
  EXPECT_NE(::GetPropW(window_.get(), kWndProcHookProperty), nullptr);
}

TEST_F(WndProcHookTest, HooksOneLiveWindowOnce) {
  Hook hook;
  EXPECT_FALSE(hook.HookWindow(nullptr));
  ASSERT_TRUE(hook.HookWindow(window_.get()));
  EXPECT_FALSE(hook.HookWindow(window_.get()));
  window_.reset();
  hook.UnhookWindow();  // the window is gone: nothing to restore
  EXPECT_EQ(hook.hooked_window(), nullptr);
}

}  // namespace

namespace {

// A window object whose handler faults after destroying its own window, as a
// page that crashes while closing would.
class FaultingWindow : public WindowImpl {
 public:
  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(kFault, OnFault)
  TB_END_MSG_MAP()

  HWND Create() {
    static const WindowClassInfo info = {L"TabBridgeFaultingWindow", 0, nullptr, nullptr};
    return CreateWindowOfClass(info, nullptr, RECT{0, 0, 10, 10}, WS_POPUP, 0, 0);
  }
  void OnFinalMessage(HWND) override { ++final_messages; }
  int final_messages = 0;

 private:
  LRESULT OnFault(UINT, WPARAM destroy, LPARAM, bool&) {
    if (destroy)
      ::DestroyWindow(hwnd());
    volatile UINT_PTR address = 0x10;
    *reinterpret_cast<volatile int*>(address) = 1;
    return 7;
  }
};

TEST(GuardedWndProcTest, FaultingMessageStillLetsTheWindowEnd) {
  FaultingWindow window;
  const HWND hwnd = window.Create();
  ASSERT_NE(hwnd, nullptr);
  Hook hook;
  ASSERT_TRUE(hook.HookWindow(hwnd));
  EXPECT_EQ(::SendMessageW(hwnd, kFault, 0, 0), 0);
  EXPECT_EQ(window.final_messages, 0);
  // The window goes away inside a message that then faults.
  EXPECT_EQ(::SendMessageW(hwnd, kFault, 1, 0), 0);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(window.final_messages, 1);
}

}  // namespace
