#include "ui_base/window_impl.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr UINT kSeen = WM_APP + 1;     // answered 42, or passed on when wParam says so
constexpr UINT kDestroy = WM_APP + 2;  // destroys the window in lParam

const WindowClassInfo kTestClass = {L"TabBridge_WindowImplTest", CS_DBLCLKS, nullptr, IDC_ARROW};

class Recorder : public WindowImpl {
 public:
  explicit Recorder(std::string* log, const char* name) : log_(log), name_(name) {}

  HWND Create(HWND parent = nullptr, DWORD style = WS_POPUP) {
    return CreateWindowOfClass(kTestClass, parent, RECT{0, 0, 100, 100}, style, 0, 7);
  }
  bool Subclass(HWND hwnd) { return SubclassWindow(hwnd); }

  std::function<void(HWND)> on_final_message;

  TB_BEGIN_MSG_MAP()
  TB_MESSAGE_HANDLER(kSeen, OnSeen)
  TB_MESSAGE_HANDLER(kDestroy, OnDestroy)
  TB_MESSAGE_HANDLER(WM_NCDESTROY, OnNcDestroy)
  TB_END_MSG_MAP()

 protected:
  void OnFinalMessage(HWND hwnd) override {
    Log(name_ + " final");
    if (on_final_message)
      on_final_message(hwnd);
  }

 private:
  LRESULT OnSeen(UINT, WPARAM pass_on, LPARAM, bool& handled) {
    Log(name_ + (pass_on ? " passed on" : " answered"));
    handled = !pass_on;
    return 42;
  }
  LRESULT OnDestroy(UINT, WPARAM, LPARAM lparam, bool&) {
    ::DestroyWindow(reinterpret_cast<HWND>(lparam));
    Log(name_ + " after destroy, hwnd " + (hwnd() ? "set" : "null"));
    return 5;
  }
  LRESULT OnNcDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    Log(name_ + " ncdestroy");
    handled = false;
    return 0;
  }

  void Log(const std::string& line) { *log_ += (log_->empty() ? "" : "; ") + line; }

  std::string* log_;
  std::string name_;
};

TEST(WindowImplTest, SubclassSeesMessagesFirstAndChainsToThePreviousProcedure) {
  std::string log;
  Recorder owner(&log, "owner");
  const HWND hwnd = owner.Create();
  ASSERT_NE(hwnd, nullptr);
  Recorder front(&log, "front");
  ASSERT_TRUE(front.Subclass(hwnd));
  EXPECT_EQ(front.hwnd(), hwnd);

  EXPECT_EQ(::SendMessageW(hwnd, kSeen, false, 0), 42);
  EXPECT_EQ(::SendMessageW(hwnd, kSeen, true, 0), 0);
  EXPECT_EQ(log, "front answered; front passed on; owner passed on");

  // One subclass per window.
  Recorder second(&log, "second");
  EXPECT_FALSE(second.Subclass(hwnd));
  EXPECT_FALSE(second.Subclass(nullptr));

  log.clear();
  ::DestroyWindow(hwnd);
  EXPECT_EQ(log, "front ncdestroy; owner ncdestroy; owner final; front final");
}

// An owner that embeds the object of its child window, as a frame its view.
struct Embedding {
  explicit Embedding(std::string* log) : owner(log, "owner"), child(log, "child") {
    child.SetLifetimeOwner(&owner);
  }
  Recorder owner;
  Recorder child;
};

// The child's final message waits for its handler that destroyed the parent.
TEST(WindowImplTest, OwnerEndsOnlyOnceItsEmbeddedChildAndItsUsersAreDone) {
  std::string log;
  auto* embedding = new Embedding(&log);
  embedding->owner.on_final_message = [embedding](HWND) { delete embedding; };
  const HWND parent = embedding->owner.Create();
  ASSERT_NE(parent, nullptr);
  const HWND child = embedding->child.Create(parent, WS_CHILD);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(::GetParent(child), parent);
  EXPECT_EQ(::GetDlgCtrlID(child), 7);
  {
    const WindowImpl::ScopedUse in_use(&embedding->owner);
    ::SendMessageW(child, kDestroy, 0, reinterpret_cast<LPARAM>(parent));
    log += "; use ends";
  }
  EXPECT_EQ(log,
            "child ncdestroy; owner ncdestroy; child after destroy, hwnd null; child final; "
            "use ends; owner final");
}

TEST(WindowImplTest, ClassRegisteredWithAnotherProcedureIsRefused) {
  const WNDCLASSEXW foreign = {.cbSize = sizeof(WNDCLASSEXW),
                               .lpfnWndProc = ::DefWindowProcW,
                               .hInstance = ::GetModuleHandleW(nullptr),
                               .lpszClassName = L"TabBridge_WindowImplForeign"};
  ASSERT_NE(::RegisterClassExW(&foreign), 0);
  const WindowClassInfo info = {L"TabBridge_WindowImplForeign", 0, nullptr, nullptr};
  EXPECT_FALSE(WindowImpl::RegisterWindowClass(info));
  EXPECT_TRUE(WindowImpl::RegisterWindowClass(kTestClass));
  EXPECT_TRUE(WindowImpl::RegisterWindowClass(kTestClass));  // once is enough
  ::UnregisterClassW(foreign.lpszClassName, foreign.hInstance);
}

}  // namespace
