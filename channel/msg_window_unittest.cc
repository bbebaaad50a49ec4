#include "channel/msg_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "ui_base/ax_test_util.h"

namespace {

class MsgWindowTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window_.Create()); }

  CMsgWindow& window_ = CMsgWindow::GetInstance();
};

TEST_F(MsgWindowTest, PostedCallsRunOnTheWindowThreadInOrder) {
  EXPECT_EQ(::GetParent(window_.hwnd()), nullptr);
  const DWORD ui_thread = ::GetCurrentThreadId();
  std::vector<int> order;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i) {
      EXPECT_TRUE(window_.PostCall(
          [&, i] { order.push_back(::GetCurrentThreadId() == ui_thread ? i : -1); }));
    }
  });
  poster.join();
  ASSERT_TRUE(PumpMessagesUntil([&] { return order.size() == 50; }));
  std::vector<int> expected(50);
  std::iota(expected.begin(), expected.end(), 0);
  EXPECT_EQ(order, expected);
}

TEST_F(MsgWindowTest, SentCallOvertakesQueuedPostsAndWaits) {
  std::vector<std::string> events;
  std::atomic<bool> send_returned{false};
  std::thread reader([&] {
    (void)window_.PostCall([&] { events.push_back("posted"); });
    window_.SendCall([&] { events.push_back("sent"); });
    send_returned = true;
  });
  // Let both arrive before pumping: the sent call must overtake a post that
  // is still waiting, not one already taken off the queue.
  for (int i = 0; i < 1000 && !(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); ++i)
    ::Sleep(10);
  ASSERT_TRUE(PumpMessagesUntil([&] { return send_returned.load(); }));
  reader.join();
  ASSERT_TRUE(PumpMessagesUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(events, (std::vector<std::string>{"sent", "posted"}));
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

}  // namespace
