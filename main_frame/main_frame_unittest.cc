#include "main_frame/main_frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "main_frame/dpi_scale.h"
#include "main_frame/main_frame_test_util.h"
#include "tests/child_process.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class MainFrameTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    ::GetKeyboardState(saved_keys_);
  }
  void TearDown() override { ::SetKeyboardState(saved_keys_); }

  CMainFrame* CreateFrame(bool banner, bool f12 = true, int width = 400, int height = 300) {
    CreateParams params;
    params.banner = banner;
    params.f12 = f12;
    params.width = width;
    params.height = height;
    controller_ = Create(params);
    return controller_ ? controller_->frame() : nullptr;
  }

  // Modifier keys as the thread's keyboard state reports them.
  static void HoldModifiers(bool ctrl, bool shift, bool alt) {
    BYTE keys[256] = {};
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_MENU] = alt ? 0x80 : 0;
    ASSERT_TRUE(::SetKeyboardState(keys));
  }

  static RECT ClientRectIn(HWND child, HWND parent) {
    RECT rect = ScreenRect(child);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  static void Resize(HWND window, int width, int height) {
    ::SetWindowPos(window, nullptr, 0, 0, width, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  TestController* controller_ = nullptr;
  BYTE saved_keys_[256] = {};
};

TEST_F(MainFrameTest, CreatedAsAHiddenToolWindowTwiceTheTabsSize) {
  CMainFrame* frame = CreateFrame(/*banner=*/true);
  ASSERT_NE(frame, nullptr);
  const HWND window = frame->hwnd();
  ASSERT_TRUE(::IsWindow(window));
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(ScreenRect(window), (RECT{-400, -300, 400, 300}));
  // Top-level windows always clip their siblings.
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)) & ~WS_CLIPSIBLINGS,
            static_cast<DWORD>(WS_POPUP));
  const DWORD ex_style = ::GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_EQ(ex_style & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW),
            static_cast<DWORD>(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
  EXPECT_EQ(::GetParent(window), nullptr);

  wchar_t class_name[64] = L"";
  ::GetClassNameW(window, class_name, 64);
  EXPECT_EQ(std::wstring(class_name).substr(0, 4), L"ATL:");
  EXPECT_EQ(::GetClassLongPtrW(window, GCL_STYLE), 0);
  EXPECT_EQ(::GetClassLongPtrW(window, GCLP_HBRBACKGROUND), COLOR_WINDOW + 1);
  EXPECT_EQ(::GetClassLongPtrW(window, GCLP_HICON), 0);

  // Faults in the window's messages are caught in front of its procedure.
  EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&GuardedWndProc));
  EXPECT_NE(::GetPropW(window, kWndProcHookProperty), nullptr);

  const HWND view = ::GetDlgItem(window, CMainFrame::kViewControlId);
  ASSERT_EQ(view, frame->view().hwnd());
  EXPECT_TRUE(::IsWindowVisible(view) || (::GetWindowLongW(view, GWL_STYLE) & WS_VISIBLE));
  EXPECT_EQ(ClientRectIn(view, window), (RECT{0, 0, 800, 600}));
}

TEST_F(MainFrameTest, SizesFromTheExtensionAreKeptInBounds) {
  CMainFrame* huge = CreateFrame(true, true, INT_MAX, INT_MAX);
  ASSERT_NE(huge, nullptr);
  EXPECT_TRUE(::IsWindow(huge->hwnd()));
  const RECT rect = ScreenRect(huge->hwnd());
  EXPECT_LE(rect.right, 32767);
  EXPECT_GE(rect.left, -32767);

  CMainFrame* negative = CreateFrame(true, true, -20, -10);
  ASSERT_NE(negative, nullptr);
  EXPECT_TRUE(::IsWindow(negative->hwnd()));
  EXPECT_EQ(ScreenRect(negative->hwnd()), (RECT{0, 0, 0, 0}));
}

TEST_F(MainFrameTest, CurrentDirectoryIsTheDesktopAfterCreate) {
  wchar_t desktop[MAX_PATH] = L"";
  ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr,
                               SHGFP_TYPE_CURRENT, desktop),
            S_OK);
  wchar_t saved[MAX_PATH] = L"";
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  wchar_t temp[MAX_PATH] = L"";
  ::GetTempPathW(MAX_PATH, temp);
  ASSERT_TRUE(::SetCurrentDirectoryW(temp));

  ASSERT_NE(CreateFrame(true), nullptr);
  wchar_t current[MAX_PATH] = L"";
  ::GetCurrentDirectoryW(MAX_PATH, current);
  ::SetCurrentDirectoryW(saved);
  EXPECT_EQ(::lstrcmpiW(current, desktop), 0) << "now in " << current;
}

TEST_F(MainFrameTest, ViewFillsTheClientAreaWithoutABanner) {
  for (bool banner : {false, true}) {
    CMainFrame* frame = CreateFrame(banner);
    ASSERT_NE(frame, nullptr);
    const HWND window = frame->hwnd();
    Resize(window, 500, 350);
    EXPECT_EQ(ClientRectIn(frame->view().hwnd(), window), (RECT{0, 0, 500, 350})) << banner;
    Resize(window, 300, 20);
    EXPECT_EQ(ClientRectIn(frame->view().hwnd(), window), (RECT{0, 0, 300, 20})) << banner;
  }
}

TEST_F(MainFrameTest, BannerSlotTakesTheTopStripOnlyWhenTheBannerIsWanted) {
  for (bool banner : {false, true}) {
    CMainFrame* frame = CreateFrame(banner);
    ASSERT_NE(frame, nullptr);
    const HWND window = frame->hwnd();
    ASSERT_EQ(GetDpiScale(window), 100) << "the display of the tests runs at 96 DPI";
    const unique_hwnd slot(::CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(CMainFrame::kBannerControlId)),
        ::GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(slot);
    Resize(window, 640, 400);
    if (banner) {
      EXPECT_EQ(ClientRectIn(slot.get(), window), (RECT{0, 0, 640, 30}));
      EXPECT_EQ(ClientRectIn(frame->view().hwnd(), window), (RECT{0, 30, 640, 400}));
    } else {
      EXPECT_EQ(ClientRectIn(slot.get(), window), (RECT{0, 0, 10, 10})) << "left alone";
      EXPECT_EQ(ClientRectIn(frame->view().hwnd(), window), (RECT{0, 0, 640, 400}));
    }
    // Lower than the banner: the view keeps no height rather than a negative one.
    Resize(window, 640, 20);
    const RECT view = ClientRectIn(frame->view().hwnd(), window);
    EXPECT_EQ(view.bottom - view.top, banner ? 0 : 20);
  }
}

TEST_F(MainFrameTest, KeysTheFrameTakesForItself) {
  CMainFrame* frame = CreateFrame(true, /*f12=*/true);
  ASSERT_NE(frame, nullptr);
  const HWND view = frame->view().hwnd();
  const unique_hwnd stranger = CreatePlainWindow();

  MSG f12 = {view, WM_KEYDOWN, VK_F12, 0};
  HoldModifiers(false, false, false);
  EXPECT_TRUE(frame->PreTranslateMessage(&f12));
  EXPECT_EQ(controller_->dev_tools_requests, 1);
  f12.hwnd = frame->hwnd();
  EXPECT_TRUE(frame->PreTranslateMessage(&f12));
  EXPECT_EQ(controller_->dev_tools_requests, 2);
  f12.hwnd = stranger.get();
  EXPECT_FALSE(frame->PreTranslateMessage(&f12)) << "not a message of the frame";
  EXPECT_EQ(controller_->dev_tools_requests, 2);

  MSG key = {view, WM_KEYDOWN, 'S', 0};
  HoldModifiers(true, false, false);
  EXPECT_TRUE(frame->PreTranslateMessage(&key)) << "Ctrl+S: save as";
  key.wParam = 'W';
  EXPECT_TRUE(frame->PreTranslateMessage(&key)) << "Ctrl+W: close";
  key.wParam = VK_F4;
  EXPECT_FALSE(frame->PreTranslateMessage(&key)) << "Ctrl+F4 is not Ctrl+s";
  key.wParam = 'S';
  HoldModifiers(true, true, false);
  EXPECT_FALSE(frame->PreTranslateMessage(&key)) << "Ctrl+Shift+S goes to the page";
  HoldModifiers(true, false, true);
  EXPECT_FALSE(frame->PreTranslateMessage(&key)) << "Ctrl+Alt+S goes to the page";
  HoldModifiers(false, false, false);
  EXPECT_FALSE(frame->PreTranslateMessage(&key));
  EXPECT_EQ(controller_->dev_tools_requests, 2);
}

TEST_F(MainFrameTest, F12GoesToThePageWhenTheToolsAreNotAllowed) {
  CMainFrame* frame = CreateFrame(true, /*f12=*/false);
  ASSERT_NE(frame, nullptr);
  HoldModifiers(false, false, false);
  MSG f12 = {frame->view().hwnd(), WM_KEYDOWN, VK_F12, 0};
  EXPECT_FALSE(frame->PreTranslateMessage(&f12));
  EXPECT_EQ(controller_->dev_tools_requests, 0);
}

TEST_F(MainFrameTest, StrayWakeUpsRunNothingAndTheFrameGoesOn) {
  CMainFrame* frame = CreateFrame(true);
  ASSERT_NE(frame, nullptr);
  const HWND frame_window = frame->hwnd();
  const HWND view = frame->view().hwnd();
  const size_t navigations = Sent("client_before_navigate").size();
  // Another process would aim at a callable or a string of ours: the
  // parameters of a wake-up are never taken for one.
  bool bait_ran = false;
  std::function<void()> bait = [&] { bait_ran = true; };
  std::wstring bait_url = L"http://127.0.0.1:9/bait";
  const UINT_PTR addresses[] = {0,
                                1,
                                2,
                                3,
                                0xDEADBEEF,
                                reinterpret_cast<UINT_PTR>(&bait),
                                reinterpret_cast<UINT_PTR>(&bait_url)};
  std::atomic<bool> done{false};
  std::thread stranger([&] {
    for (const UINT_PTR wparam : addresses) {
      for (const UINT_PTR lparam : addresses) {
        ::PostMessageW(frame_window, RunCallMessage, wparam, lparam);
        ::SendMessageW(frame_window, RunCallMessage, wparam, lparam);
        ::PostMessageW(view, WM_IECONTROL_NAVIGATE, wparam, lparam);
        ::SendMessageW(view, WM_IECONTROL_NAVIGATE, wparam, lparam);
      }
    }
    done = true;
  });
  ASSERT_TRUE(PumpMessagesUntil([&] { return done.load(); }, kFrameWaitMs));
  stranger.join();
  PumpMessagesFor(100);
  EXPECT_FALSE(bait_ran);
  EXPECT_EQ(Sent("client_before_navigate").size(), navigations);

  bool ran = false;
  ASSERT_TRUE(frame->PostCall([&] { ran = true; }));
  EXPECT_TRUE(PumpMessagesUntil([&] { return ran; }, kFrameWaitMs));
  NavigateParams params;
  params.url = L"http://127.0.0.1:9/after";
  frame->Navigate(params);
  EXPECT_TRUE(WaitForSent("client_before_navigate", navigations + 1));
}

TEST_F(MainFrameTest, CallsLeftWhenTheWindowGoesAreFreedUnrun) {
  CMainFrame* frame = CreateFrame(true);
  ASSERT_NE(frame, nullptr);
  auto token = std::make_shared<int>(0);
  ASSERT_TRUE(frame->PostCall([token] { ADD_FAILURE() << "ran after the window went"; }));
  ::DestroyWindow(frame->hwnd());  // deletes the frame with its controller
  EXPECT_EQ(token.use_count(), 1);
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(MainFrameTest, NavigateRemembersTheLastAddressAskedFor) {
  CMainFrame* frame = CreateFrame(true);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetLocationURL(), L"") << "nothing asked for yet";
  NavigateParams params;
  params.url = L"http://127.0.0.1:9/unreachable";
  frame->Navigate(params);
  EXPECT_EQ(frame->GetLocationURL(), L"http://127.0.0.1:9/unreachable")
      << "the engine has nothing to show yet";
  params.url.clear();
  frame->Navigate(params);
  EXPECT_EQ(frame->GetLocationURL(), L"http://127.0.0.1:9/unreachable");
}

// Closing a frame three ways: one that never had a window, one whose window
// goes now, and the same one again once its window is gone. The controller
// is not the manager's, so the frame outlives its window.
TB_CHILD_ROUTINE(MainFrameQuitExtensionLogs) {
  ScopedOleInitialize ole;
  CaptureStream stream;
  InlineRunner runner;
  CMainFrameControllerManager manager(&stream, &runner);
  CMainFrameController windowless_controller(1, &manager);
  CMainFrame windowless(&windowless_controller);
  windowless.QuitExtension();

  CMainFrameController controller(2, &manager);
  CreateParams params;
  params.width = 200;
  params.height = 100;
  if (!ole.ok() || !controller.CrxCreate(params) || !::IsWindow(controller.frame()->hwnd()))
    return 1;
  const HWND window = controller.frame()->hwnd();
  controller.frame()->QuitExtension();
  if (::IsWindow(window))
    return 2;
  controller.frame()->QuitExtension();
  return 0;
}

TEST_F(MainFrameTest, QuitExtensionSaysWhatItFound) {
  const std::optional<std::string> log = RunChildAndReadLog("MainFrameQuitExtensionLogs");
  ASSERT_TRUE(log.has_value());
  const size_t windowless = log->find("] CMainFrame QuitExtension IsWindow false\r\n");
  const size_t destroying = log->find("] CMainFrame QuitExtension DestroyWindow\r\n");
  const size_t on_destroy = log->find("] OnDestroy ");
  const size_t final_message = log->find("] OnFinalMessage ");
  const size_t frame_destroy = log->find("] ProcessFrameDestroy FrameId 2\r\n");
  const size_t destroyed = log->find("] CMainFrame QuitExtension destroyed\r\n");
  ASSERT_NE(windowless, std::string::npos) << *log;
  ASSERT_NE(destroying, std::string::npos) << *log;
  ASSERT_NE(on_destroy, std::string::npos) << *log;
  ASSERT_NE(final_message, std::string::npos) << *log;
  ASSERT_NE(frame_destroy, std::string::npos) << *log;
  ASSERT_NE(destroyed, std::string::npos) << *log;
  EXPECT_LT(windowless, destroying);
  EXPECT_LT(destroying, on_destroy);
  EXPECT_LT(on_destroy, final_message);
  EXPECT_LT(final_message, frame_destroy);
  EXPECT_LT(frame_destroy, destroyed);
  EXPECT_THAT(*log, HasSubstr("] OnCreate\r\n"));
  EXPECT_THAT(*log, HasSubstr("] CMainFrame Destructor "));
}

}  // namespace
