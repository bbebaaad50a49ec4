#include "channel/msg_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "ui_base/ax_test_util.h"
#include "utils/scoped_handle.h"

namespace {

class MsgWindowTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window_.Create()); }

  CMsgWindow& window_ = CMsgWindow::GetInstance();
};

TEST_F(MsgWindowTest, CallsRunOnTheWindowThreadPostedInOrderAndSentFirst) {
  const DWORD ui_thread = ::GetCurrentThreadId();
  std::vector<int> order;
  const auto record = [&](int i) { order.push_back(::GetCurrentThreadId() == ui_thread ? i : -1); };
  std::atomic<bool> send_returned{false};
  std::thread reader([&] {
    for (int i = 1; i <= 50; ++i)
      EXPECT_TRUE(window_.PostCall([&, i] { record(i); }));
    window_.SendCall([&] { record(0); });
    send_returned = true;
  });
  // Let the sent call arrive before pumping: it must overtake posts that are
  // still waiting, not ones already taken off the queue.
  for (int i = 0; i < 1000 && !(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); ++i)
    ::Sleep(10);
  ASSERT_TRUE(PumpMessagesUntil([&] { return send_returned && order.size() == 51; }));
  reader.join();
  std::vector<int> expected(51);
  std::iota(expected.begin(), expected.end(), 0);
  EXPECT_EQ(order, expected);
}

TEST_F(MsgWindowTest, StrayWakeUpsRunNothingAndTheWindowGoesOn) {
  // Another process would aim at a callable of ours: the parameters of the
  // wake-up are never taken for one.
  bool ran = false;
  std::function<void()> bait = [&] { ran = true; };
  for (const WPARAM wparam : {0, 1, 2, 3}) {
    ::PostMessageW(window_.hwnd(), RunCallMessage, wparam, reinterpret_cast<LPARAM>(&bait));
    ::SendMessageW(window_.hwnd(), RunCallMessage, wparam, reinterpret_cast<LPARAM>(&bait));
  }
  PumpMessagesFor(0);
  EXPECT_FALSE(ran);
  ASSERT_TRUE(window_.PostCall([&] { ran = true; }));
  EXPECT_TRUE(PumpMessagesUntil([&] { return ran; }));
}

TEST_F(MsgWindowTest, CallsLeftWhenTheWindowGoesAreFreedUnrun) {
  auto token = std::make_shared<int>(0);
  bool ran = false;
  ASSERT_TRUE(window_.PostCall([&ran, token] { ran = true; }));
  EXPECT_EQ(token.use_count(), 2);
  window_.Destroy();
  EXPECT_EQ(token.use_count(), 1);
  // A call sent to no window is not run, and the sender is not kept waiting.
  std::thread([&] { window_.SendCall([&] { ran = true; }); }).join();
  PumpMessagesFor(0);
  EXPECT_FALSE(ran);
}

LRESULT CALLBACK RefuseWindows(int code, WPARAM wparam, LPARAM lparam) {
  return code == HCBT_CREATEWND ? 1 : ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(RunMessageLoopTest, WithoutTheWindowNoReaderStartsAndNoLoopRuns) {
  CMsgWindow::GetInstance().Destroy();
  bool started = false;
  {
    const unique_hhook refusal(
        ::SetWindowsHookExW(WH_CBT, &RefuseWindows, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(refusal);
    // A loop that ran anyway would end at once.
    EXPECT_EQ(RunMessageLoop([&] {
                started = true;
                ::PostQuitMessage(0);
              }),
              0);
  }
  EXPECT_FALSE(started);
}

}  // namespace
