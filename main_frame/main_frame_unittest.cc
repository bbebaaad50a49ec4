#include "main_frame/main_frame.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <climits>
#include <string>
#include <utility>

#include "main_frame/main_frame_test_util.h"
#include "ui/skin/skin.h"

namespace {

using MainFrameTest = FrameTest;

RECT RectIn(HWND child, HWND parent) {
  RECT rect = ScreenRect(child);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST_F(MainFrameTest, CreatedAsAHiddenToolWindowTwiceTheTabsSizeOnTheDesktop) {
  wchar_t saved[MAX_PATH] = L"";
  wchar_t current[MAX_PATH] = L"";
  wchar_t desktop[MAX_PATH] = L"";
  ::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr,
                     SHGFP_TYPE_CURRENT, desktop);
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
  CMainFrame* frame = Create()->frame();
  ::GetCurrentDirectoryW(MAX_PATH, current);
  ::SetCurrentDirectoryW(saved);
  EXPECT_EQ(::lstrcmpiW(current, desktop), 0) << "the current directory is " << current;

  const HWND window = frame->hwnd();
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(::GetWindowLongW(window, GWL_EXSTYLE) &
                (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW),
            WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW);
  EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&GuardedWndProc))
      << "faults in its messages are caught";
  EXPECT_EQ(RectIn(frame->view().hwnd(), window), (RECT{0, 0, 1560, 1040}));
  // Sizes from the extension are kept in bounds.
  CreateParams params = Params();
  for (const auto& [size, extent] : {std::pair(780, 780), {INT_MAX, 32767}, {-20, 0}}) {
    params.width = params.height = size;
    EXPECT_EQ(ScreenRect(Create(params)->frame()->hwnd()),
              (RECT{-extent, -extent, extent, extent}));
  }
}

TEST_F(MainFrameTest, BannerSlotTakesTheTopStripOnlyWhenTheBannerIsWanted) {
  CreateParams params = Params();
  for (bool banner : {false, true}) {
    params.banner = banner;
    CMainFrame* frame = Create(params)->frame();
    const HWND window = frame->hwnd();
    const unique_hwnd slot(::CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(CMainFrame::kBannerControlId)), nullptr,
        nullptr));
    // The display of the tests runs at 96 DPI: the banner is 30 pixels high.
    ::SetWindowPos(window, nullptr, 0, 0, 640, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(RectIn(slot.get(), window), (banner ? RECT{0, 0, 640, 30} : RECT{0, 0, 10, 10}));
    EXPECT_EQ(RectIn(frame->view().hwnd(), window), (RECT{0, banner ? 30 : 0, 640, 400}));
    // Lower than the banner: the view keeps no height rather than a negative one.
    ::SetWindowPos(window, nullptr, 0, 0, 640, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT view = RectIn(frame->view().hwnd(), window);
    EXPECT_EQ(view.bottom - view.top, banner ? 0 : 20);
  }
}

class SkinnedBannerTest : public FrameTest {
 protected:
  // The banner a frame made from `params` while the process's skin runs:
  // its height, or -1 without one.
  int BannerHeight(const CreateParams& params) {
    Skin::StartShared(8);
    CMainFrame* frame = Create(params)->frame();
    const HWND banner = ::GetDlgItem(frame->hwnd(), CMainFrame::kBannerControlId);
    wchar_t class_name[64] = L"";
    ::GetClassNameW(banner, class_name, 64);
    const RECT rect = RectIn(banner, frame->hwnd());
    frame->QuitExtension();
    Skin::EndShared();
    return std::wstring(class_name) == L"TabBridge_BannerWND" ? rect.bottom - rect.top : -1;
  }
};

TEST_F(SkinnedBannerTest, OnlyWhenTheBannerIsWanted) {
  CreateParams params = Params();
  EXPECT_EQ(BannerHeight(params), 30);
  params.banner = false;
  EXPECT_EQ(BannerHeight(params), -1);
}

TEST_F(MainFrameTest, F12OpensTheToolsOnlyWhenTheFrameAllowsIt) {
  const unique_hwnd stranger = CreatePlainWindow();
  CreateParams params = Params();
  for (bool f12 : {true, false}) {
    params.f12 = f12;
    CMainFrame* frame = Create(params)->frame();
    MSG key = {frame->view().hwnd(), WM_KEYDOWN, VK_F12, 0};
    EXPECT_EQ(frame->PreTranslateMessage(&key), f12) << "taken for the tools, or the page's";
    key.hwnd = stranger.get();
    EXPECT_FALSE(frame->PreTranslateMessage(&key)) << "not a message of the frame";
  }
}

TEST_F(MainFrameTest, NavigateRemembersTheLastAddressAskedFor) {
  CMainFrame* frame = Create()->frame();
  frame->Navigate({.url = L"http://127.0.0.1:9/unreachable"});
  frame->Navigate({});
  EXPECT_EQ(frame->GetLocationURL(), L"http://127.0.0.1:9/unreachable")
      << "the engine has nothing to show yet";
}

}  // namespace
