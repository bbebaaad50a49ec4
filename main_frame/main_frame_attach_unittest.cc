#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "host_functions/system_info.h"
#include "main_frame/main_frame.h"
#include "main_frame/main_frame_test_util.h"
#include "tests/child_process.h"
#include "tests/testing/test_http_server.h"
#include "utils/string_util.h"

namespace {

using ::testing::HasSubstr;

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

TEST_F(AttachTest, TitleMatchesAnyPartIgnoringCase) {
  TestBrowserWindow browser(title_ + L" - Browser", kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  std::wstring part = title_.substr(2);
  for (wchar_t& c : part)
    c = static_cast<wchar_t>(::towupper(c));
  ASSERT_TRUE(frame->AttachTab(Attach(part)));
  EXPECT_EQ(frame->ParentWindow(), browser.hwnd());
}

TEST_F(AttachTest, RenderWindowMayBeUpToTenPixelsOff) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  const HWND window = frame->hwnd();

  // Eleven pixels wider or higher than the render window: no match, and the
  // frame is left as it was.
  EXPECT_FALSE(frame->AttachTab(Attach(title_, 791, 520)));
  EXPECT_FALSE(frame->AttachTab(Attach(title_, 780, 531)));
  EXPECT_FALSE(frame->AttachTab(Attach(title_, 769, 520)));
  EXPECT_FALSE(frame->is_attached());
  EXPECT_EQ(::GetParent(window), nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));

  // Ten pixels off is the same tab; the frame takes the size asked for.
  ASSERT_TRUE(frame->AttachTab(Attach(title_, 790, 510)));
  const RECT render = browser.RenderScreenRect();
  EXPECT_EQ(ScreenRect(window),
            (RECT{render.left, render.top, render.left + 790, render.top + 510}));
}

TEST_F(AttachTest, BrowserNarrowerThanTheTabIsRefused) {
  TestBrowserWindow browser(title_, {100, 80, 870, 680}, {0, 70, 770, 590});
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->AttachTab(Attach(title_, 775, 520))) << "browser 770 wide";
  EXPECT_FALSE(frame->is_attached());
  ASSERT_TRUE(frame->AttachTab(Attach(title_, 770, 520)));
}

TEST_F(AttachTest, HiddenRenderWindowsAreNotTabs) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  ::ShowWindow(browser.render(), SW_HIDE);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->AttachTab(Attach(title_)));
}

TEST_F(AttachTest, HigherBrowserWindowWinsAndAReattachFindsItAgain) {
  TestBrowserWindow lower(title_ + L" one", {0, 0, 800, 600}, kRender);
  TestBrowserWindow upper(title_ + L" two", {50, 50, 850, 650}, kRender);
  ::SetWindowPos(upper.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_EQ(frame->ParentWindow(), upper.hwnd());

  // The tab was dragged to the other window, which is now on top.
  ::SetWindowPos(lower.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_EQ(frame->ParentWindow(), lower.hwnd());
  EXPECT_EQ(ScreenRect(frame->hwnd()), lower.RenderScreenRect());
}

TEST_F(AttachTest, MissingBrowserHidesAnAttachedFrame) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_FALSE(frame->AttachTab(Attach(UniqueTitle(L"gone"))));
  EXPECT_FALSE(frame->is_attached());
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));
  frame->ReSizeBrowser(780, 520);
  frame->ShowMainFrame();
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd())) << "not attached: not shown";
}

TEST_F(AttachTest, ResizeFollowsTheRenderWindow) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  ::MoveWindow(browser.render(), 10, 90, 700, 480, TRUE);
  EXPECT_TRUE(controller_->CrxReSize(1, 700, 480));
  EXPECT_EQ(ScreenRect(frame->hwnd()), browser.RenderScreenRect());

  // The browser moves: the frame goes with it as its child.
  ::SetWindowPos(browser.hwnd(), nullptr, 200, 150, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(ScreenRect(frame->hwnd()), browser.RenderScreenRect());
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

TEST_F(AttachTest, DetachLeavesTheBrowserAndHides) {
  TestBrowserWindow browser(title_, kBrowser, kRender);
  CMainFrame* frame = CreateFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_TRUE(controller_->CrxDetach(1));
  EXPECT_FALSE(frame->is_attached());
  EXPECT_EQ(::GetAncestor(frame->hwnd(), GA_PARENT), ::GetDesktopWindow());
  EXPECT_EQ(frame->ParentWindow(), nullptr);
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));
  EXPECT_TRUE(::GetWindowLongW(frame->hwnd(), GWL_STYLE) & WS_CHILD) << "style kept";
  frame->ShowMainFrame();
  EXPECT_FALSE(::IsWindowVisible(frame->hwnd()));

  ASSERT_TRUE(frame->AttachTab(Attach(title_)));
  EXPECT_EQ(frame->ParentWindow(), browser.hwnd());
  EXPECT_TRUE(::IsWindowVisible(frame->hwnd()));
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

  // The gate counts from the last attempt that passed, across a wrap of the
  // tick count too.
  ::SetFocus(elsewhere.get());
  now_ = 0xFFFFFF00u;
  frame->FocusMainFrame(true);
  EXPECT_TRUE(PageHasFocus(frame));
  ::SetFocus(elsewhere.get());
  now_ = 0x00000050u;
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

// Attach, then a focus request inside the gate and one after it, on a clock
// of the test's own.
TB_CHILD_ROUTINE(FocusGateLogs) {
  ScopedOleInitialize ole;
  CaptureStream stream;
  InlineRunner runner;
  CMainFrameControllerManager manager(&stream, &runner);
  const std::wstring title = UniqueTitle(L"Focus Gate Browser");
  TestBrowserWindow browser(title, {0, 0, 800, 600}, {0, 40, 640, 520});
  CMainFrameController controller(3, &manager);
  CreateParams params;
  params.width = 640;
  params.height = 480;
  if (!ole.ok() || !controller.CrxCreate(params))
    return 1;
  DWORD now = 50000;
  controller.frame()->SetTickCountForTesting([&] { return now; });
  AttachParams attach;
  attach.title = title;
  attach.width = 640;
  attach.height = 480;
  attach.frame_id = 3;
  if (!controller.frame()->AttachTab(attach))
    return 2;
  now += 399;
  controller.CrxFocus(3);
  now += 1;
  controller.CrxFocus(3);
  controller.CrxClose(3, -1);
  return 0;
}

TEST_F(AttachTest, FocusGateIsLogged) {
  const std::optional<std::string> log = RunChildAndReadLog("FocusGateLogs");
  ASSERT_TRUE(log.has_value());
  const size_t attached = log->find("] AttachTab SUCCESS Focus Gate Browser");
  const size_t forced = log->find("] FocusMainFrame FrameId 3 FocusWebBrowser Force\r\n");
  const size_t refused = log->find("] FocusMainFrame Not NeedFocus FrameId 3\r\n");
  const size_t request = log->find("] CrxFocus  FrameId 3\r\n");
  ASSERT_NE(attached, std::string::npos) << *log;
  ASSERT_NE(forced, std::string::npos) << *log;
  ASSERT_NE(refused, std::string::npos) << *log;
  ASSERT_NE(request, std::string::npos) << *log;
  EXPECT_LT(forced, attached);
  EXPECT_LT(attached, request);
  EXPECT_LT(request, refused);
  EXPECT_EQ(log->find("] FocusMainFrame Not NeedFocus", refused + 1), std::string::npos)
      << "only the request inside the gate is refused";
  // The second request passes the gate; the browser is not in front here.
  EXPECT_THAT(log->substr(refused), ::testing::AnyOf(HasSubstr("FocusWebBrowser \r\n"),
                                                     HasSubstr("Skip Not Foreground FrameId 3")));
  EXPECT_THAT(*log, HasSubstr("] ShowMainFrame FrameId 3\r\n"));
  EXPECT_THAT(*log, HasSubstr("] ReSizeBrowser\r\n"));
}

}  // namespace
