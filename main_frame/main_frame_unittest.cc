#include "main_frame/main_frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <shlobj.h>

#include <climits>
#include <string>

#include "main_frame/dpi_scale.h"
#include "main_frame/main_frame_test_util.h"

namespace {

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
  HoldModifiers(true, true, false);
  EXPECT_FALSE(frame->PreTranslateMessage(&key)) << "Ctrl+Shift+S goes to the page";
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

}  // namespace
