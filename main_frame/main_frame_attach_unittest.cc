#include <gtest/gtest.h>

#include "channel/client_notifications.h"
#include "main_frame/main_frame.h"
#include "main_frame/main_frame_test_util.h"

namespace {

constexpr DWORD kNoRedirectionBitmap = 0x00200000;  // WS_EX_NOREDIRECTIONBITMAP
constexpr int kWindows11 = 13;

using AttachTest = FrameTest;

TEST_F(AttachTest, BrowserNarrowerThanTheTabIsRefused) {
  TestBrowserWindow browser(title_, {100, 80, 870, 680}, {0, 70, 770, 590});
  CMainFrame* frame = Create()->frame();
  EXPECT_FALSE(frame->AttachTab(Attach(775))) << "browser 770 wide";
  EXPECT_FALSE(frame->is_attached());
  EXPECT_TRUE(frame->AttachTab(Attach(770)));
}

TEST_F(AttachTest, LayeredOverABrowserWithoutRedirectionBitmap) {
  TestBrowserWindow browser(title_, kBrowser, kRender, kNoRedirectionBitmap);
  CMainFrame* frame = Create()->frame();
  frame->SetReleaseCodeForTesting(kWindows11);
  ASSERT_TRUE(frame->AttachTab(Attach()));
  EXPECT_TRUE(::GetWindowLongW(frame->hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(frame->hwnd(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
}

// A frame showing a page, attached at tick 100000 over the browser's render
// window.
class AttachedFrameTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    controller_ = Create(Params(ServePage("attached")));
    ASSERT_TRUE(WaitForSent("client_title_change", 2));
    controller_->frame()->SetTickCountForTesting([this] { return now_; });
    ASSERT_TRUE(controller_->frame()->AttachTab(Attach()));
    placed_ = ScreenRect(window_ = controller_->frame()->hwnd());
  }
  // Moves the focus away, lets `step` milliseconds pass and has the frame
  // take it: by force, or else with `front` in front. Whether the page has it.
  bool FocusAfter(DWORD step, HWND front = nullptr) {
    ::SetFocus(elsewhere_.get());
    now_ += step;
    if (front) {
      ::SetForegroundWindow(front);
      controller_->CrxFocus(1);
    } else {
      controller_->frame()->FocusMainFrame(/*force=*/true);
    }
    const HWND focus = ::GetFocus();
    return focus && ::IsChild(controller_->frame()->view().hwnd(), focus);
  }

  TestBrowserWindow browser_{title_, kBrowser, kRender};
  const unique_hwnd elsewhere_ = CreatePlainWindow(browser_.top.get(), WS_CHILD | WS_VISIBLE);
  TestController* controller_ = nullptr;
  HWND window_ = nullptr;
  RECT placed_ = {};
  DWORD now_ = 100000;
};

TEST_F(AttachedFrameTest, FrameCoversTheRenderWindowOnTopWithoutActivation) {
  EXPECT_EQ(controller_->frame()->ParentWindow(), browser_.top.get());
  EXPECT_EQ(placed_, ScreenRect(browser_.render));
  // The system keeps WS_CLIPSIBLINGS on a window that is top-level when its
  // style is set.
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE)) & ~WS_CLIPSIBLINGS,
            static_cast<DWORD>(WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE));
  EXPECT_EQ(::GetWindow(browser_.top.get(), GW_CHILD), window_);
  for (HWND sibling : {browser_.render, browser_.compositor})
    EXPECT_TRUE(::GetWindowLongW(sibling, GWL_STYLE) & WS_CLIPSIBLINGS);
  EXPECT_FALSE(::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_NE(::GetForegroundWindow(), window_);
}

TEST_F(AttachedFrameTest, HiddenTabsAreNotPlacedAndResizeShowsThemAgain) {
  EXPECT_TRUE(controller_->CrxActivate(1, false));
  EXPECT_FALSE(::IsWindowVisible(window_));
  ::MoveWindow(browser_.render, 0, 0, 780, 520, TRUE);
  controller_->frame()->ReSizeBrowser(780, 520);
  EXPECT_TRUE(controller_->CrxActivate(1, true));
  EXPECT_TRUE(::IsWindowVisible(window_));
  EXPECT_EQ(ScreenRect(window_), placed_) << "shown where it was";
  // host_resize shows an attached frame even after host_activate hid it.
  EXPECT_TRUE(controller_->CrxActivate(1, false));
  EXPECT_TRUE(controller_->CrxReSize(1, 780, 520));
  EXPECT_TRUE(::IsWindowVisible(window_));
}

TEST_F(AttachedFrameTest, ClosingFrameAnswersMinusOneAndNoLongerMovesOrShows) {
  ASSERT_TRUE(controller_->CrxActivate(1, false));
  EXPECT_TRUE(controller_->ClientCloseTab());
  EXPECT_FALSE(::IsWindowEnabled(controller_->frame()->view().hwnd())) << "no more input";
  EXPECT_TRUE(controller_->CrxActivate(1, true));
  ::MoveWindow(browser_.render, 0, 0, 780, 520, TRUE);
  EXPECT_TRUE(controller_->CrxReSize(1, 780, 520));
  EXPECT_TRUE(manager_.CrxAttach(Attach()));
  EXPECT_FALSE(::IsWindowVisible(window_));
  EXPECT_EQ(ScreenRect(window_), placed_);
  EXPECT_EQ(Sent("client_attach_state"), Texts{*BuildAttachState(-1, 1, "attached")});
  EXPECT_FALSE(FocusAfter(1000));
  EXPECT_TRUE(::IsWindow(window_)) << "the frame stays until host_close";
}

TEST_F(AttachedFrameTest, RenderWindowThatVanishedLeavesTheFrameWhereItIs) {
  ::DestroyWindow(browser_.render);
  controller_->frame()->ReSizeBrowser(500, 400);
  EXPECT_EQ(ScreenRect(window_), placed_);
  EXPECT_FALSE(controller_->frame()->AttachTab(Attach()));
}

TEST_F(AttachedFrameTest, OneFocusAttemptPer400MillisecondsWhileAttached) {
  EXPECT_FALSE(FocusAfter(399)) << "attaching tried at 100000";
  EXPECT_TRUE(FocusAfter(1));
  EXPECT_FALSE(FocusAfter(399)) << "the gate counts from the last attempt that passed";
  controller_->frame()->DetachTab();
  EXPECT_FALSE(FocusAfter(1000)) << "detached";
}

TEST_F(AttachedFrameTest, UnforcedFocusOnlyWhenTheBrowserIsInFront) {
  const unique_hwnd other = CreatePlainWindow();
  for (HWND front : {other.get(), browser_.top.get()}) {
    const bool focused = FocusAfter(1000, front);
    if (::GetForegroundWindow() != front)
      GTEST_SKIP() << "this display does not change the foreground window";
    EXPECT_EQ(focused, front == browser_.top.get());
  }
}

}  // namespace
