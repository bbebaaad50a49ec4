#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "main_frame/main_frame.h"
#include "main_frame/main_frame_test_util.h"
#include "tests/testing/test_http_server.h"
#include "utils/string_util.h"

namespace {

constexpr DWORD kNoRedirectionBitmap = 0x00200000;  // WS_EX_NOREDIRECTIONBITMAP
constexpr int kWindows11 = 13;
constexpr int kWindows10 = 12;

// Whether `upper` is above `lower` among the children of one window.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND window = ::GetWindow(upper, GW_HWNDNEXT); window;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (window == lower)
      return true;
  }
  return false;
}

class AttachTest : public FrameTest {
 protected:
  // The render window sits 70 pixels down in the browser's client area.
  static constexpr RECT kBrowser = {100, 80, 900, 680};
  static constexpr RECT kRender = {0, 70, 780, 590};

  CMainFrame* CreateFrame(const std::string& url = "") {
    CreateParams params;
    params.width = 780;
    params.height = 520;
    params.url = url;
    controller_ = Create(params);
    return controller_ ? controller_->frame() : nullptr;
  }

  static AttachParams Attach(const std::wstring& title, int width = 780, int height = 520) {
    AttachParams params;
    params.title = title;
    params.width = width;
    params.height = height;
    params.frame_id = 1;
    return params;
  }

  const std::wstring title_ = UniqueTitle(L"Attach Test Browser");
  TestController* controller_ = nullptr;
};

TEST_F(AttachTest, FrameCoversTheRenderWindowExactly) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  const HWND window = frame->hwnd();
  ASSERT_FALSE(::GetWindowLongW(browser.render(), GWL_STYLE) & WS_CLIPSIBLINGS);
  ASSERT_FALSE(::GetWindowLongW(browser.compositor(), GWL_STYLE) & WS_CLIPSIBLINGS);

  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_TRUE(frame->is_attached());
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), browser.hwnd());
  EXPECT_EQ(frame->ParentWindow(), browser.hwnd());
  EXPECT_EQ(ScreenRect(window), browser.RenderScreenRect());
  // The system keeps WS_CLIPSIBLINGS on a window that is top-level when its
  // style is set.
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)) & ~WS_CLIPSIBLINGS,
            static_cast<DWORD>(WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE));
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_TRUE(IsAbove(window, browser.render())) << "shown on top of its siblings";
  EXPECT_TRUE(::GetWindowLongW(browser.render(), GWL_STYLE) & WS_CLIPSIBLINGS);
  EXPECT_TRUE(::GetWindowLongW(browser.compositor(), GWL_STYLE) & WS_CLIPSIBLINGS);
  EXPECT_FALSE(frame->is_layered()) << "the browser draws with a redirection bitmap";
  EXPECT_FALSE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(::GetForegroundWindow() == window, false) << "never activated";
}

TEST_F(AttachTest, BrowserNarrowerThanTheTabIsRefused) {
  TestBrowserWindow browser(title_, {100, 80, 870, 680}, {0, 70, 770, 590});
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->AttachTab(Attach(title_, 775, 520))) << "browser 770 wide";
  EXPECT_FALSE(frame->is_attached());
  ASSERT_TRUE(frame->AttachTab(Attach(title_, 770, 520)));
}

TEST_F(AttachTest, ActivationHidesAndShowsWithoutMoving) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  const RECT placed = ScreenRect(frame->hwnd());

  EXPECT_TRUE(controller_->CrxActivate(1, false));
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));
  EXPECT_FALSE(frame->is_active());
  // A hidden tab is not placed.
  ::MoveWindow(browser.render(), 0, 0, 780, 520, TRUE);
  frame->ReSizeBrowser(780, 520);
  EXPECT_EQ(ScreenRect(frame->hwnd()), placed);

  EXPECT_TRUE(controller_->CrxActivate(1, true));
  EXPECT_TRUE(::IsWindowVisible(frame->hwnd()));
  EXPECT_EQ(ScreenRect(frame->hwnd()), placed) << "shown where it was";

  // host_resize shows an attached frame even after host_activate hid it.
  EXPECT_TRUE(controller_->CrxActivate(1, false));
  EXPECT_TRUE(controller_->CrxReSize(1, 780, 520));
  EXPECT_TRUE(::IsWindowVisible(frame->hwnd()));
}

TEST_F(AttachTest, ActivationWithoutARenderWindowHides) {
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ::ShowWindow(frame->hwnd(), SW_SHOWNA);
  EXPECT_TRUE(frame->ActivateTab(true));
  EXPECT_FALSE(frame->is_active());
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));
}

TEST_F(AttachTest, ClosingFrameNoLongerMovesOrShows) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  const RECT placed = ScreenRect(frame->hwnd());
  ASSERT_TRUE(controller_->CrxActivate(1, false));
  EXPECT_TRUE(controller_->ClientCloseTab());

  ::MoveWindow(browser.render(), 0, 0, 780, 520, TRUE);
  EXPECT_TRUE(controller_->CrxReSize(1, 780, 520));
  EXPECT_TRUE(controller_->CrxActivate(1, true));
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));
  EXPECT_EQ(ScreenRect(frame->hwnd()), placed);
}

TEST_F(AttachTest, RenderWindowThatVanishedLeavesTheFrameWhereItIs) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  const RECT placed = ScreenRect(frame->hwnd());
  ::DestroyWindow(browser.render());
  frame->ReSizeBrowser(500, 400);
  EXPECT_EQ(ScreenRect(frame->hwnd()), placed);
  EXPECT_FALSE(frame->AttachTab(Attach(title_))) << "no render window any more";
}

TEST_F(AttachTest, LayeredOverABrowserWithoutRedirectionBitmap) {
  TestBrowserWindow browser(title_, kBrowser, kRender, kNoRedirectionBitmap);
  ASSERT_TRUE(::GetWindowLongW(browser.hwnd(), GWL_EXSTYLE) & kNoRedirectionBitmap);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);

  frame->SetReleaseCodeForTesting(kWindows10);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_FALSE(frame->is_layered()) << "only Windows 11 draws without the bitmap";

  frame->SetReleaseCodeForTesting(kWindows11);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_TRUE(frame->is_layered());
  EXPECT_TRUE(::GetWindowLongW(frame->hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(frame->hwnd(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
  EXPECT_EQ(ScreenRect(frame->hwnd()), browser.RenderScreenRect());
}

class FocusTest : public AttachTest {
 protected:
  void SetUp() override {
    AttachTest::SetUp();
    ASSERT_TRUE(server_.Start());
    server_.Serve("/focus.html", {.body = "<title>focus</title>"});
  }

  // A frame showing a page, attached at `tick`.
  CMainFrame* AttachedFrameWithPage(const TestBrowserWindow& browser, DWORD tick) {
    CMainFrame* frame = CreateFrame(WideToUtf8(server_.Url("/focus.html")));
    if (!frame || !WaitForSent("client_title_change", 2))
      return nullptr;
    now_ = tick;
    frame->SetTickCountForTesting([this] { return now_; });
    return frame->AttachTab(Attach(title_)) ? frame : nullptr;
  }

  static bool PageHasFocus(CMainFrame* frame) {
    const HWND focus = ::GetFocus();
    return focus && ::IsChild(frame->view().hwnd(), focus);
  }

  TestHttpServer server_;
  DWORD now_ = 0;
};

TEST_F(FocusTest, OneFocusAttemptPer400Milliseconds) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = AttachedFrameWithPage(browser, 100000);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(PageHasFocus(frame)) << "attaching focuses the page";

  const unique_hwnd elsewhere = CreatePlainWindow(browser.hwnd(), WS_CHILD | WS_VISIBLE);
  ::SetFocus(elsewhere.get());
  now_ += 399;
  frame->FocusMainFrame(/*force=*/true);
  EXPECT_EQ(::GetFocus(), elsewhere.get()) << "within the gate";
  now_ += 1;
  frame->FocusMainFrame(/*force=*/true);
  EXPECT_TRUE(PageHasFocus(frame));

  // The gate counts from the last attempt that passed.
  ::SetFocus(elsewhere.get());
  now_ += 399;
  frame->FocusMainFrame(true);
  EXPECT_EQ(::GetFocus(), elsewhere.get());
}

TEST_F(FocusTest, UnforcedFocusOnlyWhenTheBrowserIsInFront) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = AttachedFrameWithPage(browser, 100000);
  ASSERT_NE(frame, nullptr);
  const unique_hwnd elsewhere = CreatePlainWindow(browser.hwnd(), WS_CHILD | WS_VISIBLE);

  const unique_hwnd other = CreatePlainWindow();
  ::SetFocus(elsewhere.get());
  ::SetForegroundWindow(other.get());
  if (::GetForegroundWindow() != other.get())
    GTEST_SKIP() << "this display does not change the foreground window";
  now_ += 1000;
  EXPECT_TRUE(controller_->CrxFocus(1));
  EXPECT_FALSE(PageHasFocus(frame)) << "the browser is behind another window";
  EXPECT_EQ(::GetForegroundWindow(), other.get());

  ::SetForegroundWindow(browser.hwnd());
  ASSERT_EQ(::GetForegroundWindow(), browser.hwnd());
  ::SetFocus(elsewhere.get());
  now_ += 1000;
  EXPECT_TRUE(controller_->CrxFocus(1));
  EXPECT_TRUE(PageHasFocus(frame));
}

TEST_F(FocusTest, ClosingOrDetachedFramesAreNotFocused) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = AttachedFrameWithPage(browser, 100000);
  ASSERT_NE(frame, nullptr);
  const unique_hwnd elsewhere = CreatePlainWindow(browser.hwnd(), WS_CHILD | WS_VISIBLE);

  frame->DetachTab();
  ::SetFocus(elsewhere.get());
  now_ += 1000;
  frame->FocusMainFrame(true);
  EXPECT_EQ(::GetFocus(), elsewhere.get());

  now_ += 1000;
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  ::SetFocus(elsewhere.get());
  frame->MarkClosing();
  now_ += 1000;
  frame->FocusMainFrame(true);
  EXPECT_EQ(::GetFocus(), elsewhere.get());
}

}  // namespace
