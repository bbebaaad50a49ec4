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
  EXPECT_TRUE(frame->AttachTab(Attach(770)));
}

TEST_F(AttachTest, LayeredOverABrowserWithoutRedirectionBitmap) {
  TestBrowserWindow browser(title_, kBrowser, kRender, kNoRedirectionBitmap);
  CMainFrame* frame = Create()->frame();
  frame->SetReleaseCodeForTesting(kWindows11);
  ASSERT_TRUE(frame->AttachTab(Attach()));
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(frame->hwnd(), nullptr, &alpha, &flags)) << "layered";
  EXPECT_EQ(alpha, 255);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
}

TEST_F(AttachedFrameTest, FrameCoversTheRenderWindowOnTopWithoutActivation) {
  EXPECT_EQ(controller_->frame()->ParentWindow(), browser_.top.get());
  EXPECT_EQ(placed_, ScreenRect(browser_.render));
  EXPECT_TRUE(::IsWindowVisible(window_));
  EXPECT_EQ(::GetWindow(browser_.top.get(), GW_CHILD), window_);
  for (HWND sibling : {browser_.render, browser_.compositor})
    EXPECT_TRUE(::GetWindowLongW(sibling, GWL_STYLE) & WS_CLIPSIBLINGS);
  EXPECT_NE(::GetForegroundWindow(), window_);
}

TEST_F(AttachedFrameTest, HiddenTabIsNotPlacedButHostResizeShowsIt) {
  EXPECT_TRUE(controller_->CrxActivate(1, false));
  EXPECT_FALSE(::IsWindowVisible(window_));
  ::MoveWindow(browser_.render, 0, 0, 780, 520, TRUE);
  EXPECT_TRUE(controller_->CrxReSize(1, 780, 520));
  EXPECT_TRUE(::IsWindowVisible(window_));
  EXPECT_EQ(ScreenRect(window_), placed_);
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
  EXPECT_EQ(stream_.Messages().back(), *BuildAttachState(-1, 1, "attached"));
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
