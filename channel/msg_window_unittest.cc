#include "channel/msg_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ui_base/message_loop.h"

namespace {

// Pumps this thread's queue until `done` or about ten seconds pass.
template <typename Pred>
bool PumpUntil(Pred done) {
  for (int i = 0; i < 1000 && !done(); ++i) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      ::DispatchMessageW(&msg);
    if (!done())
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return done();
}

void DrainQueue() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    ::DispatchMessageW(&msg);
}

TEST(MsgWindowTest, PostedCallsRunOnTheWindowThreadInOrder) {
  CMsgWindow& window = CMsgWindow::GetInstance();
  ASSERT_TRUE(window.Create());
  EXPECT_EQ(::GetParent(window.hwnd()), nullptr);

  const DWORD ui_thread = ::GetCurrentThreadId();
  std::vector<int> order;
  std::vector<DWORD> threads;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i) {
      EXPECT_TRUE(window.PostCall([&, i] {
        order.push_back(i);
        threads.push_back(::GetCurrentThreadId());
      }));
    }
  });
  poster.join();
  ASSERT_TRUE(PumpUntil([&] { return order.size() == 50; }));
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(order[i], i);
  for (DWORD thread : threads)
    EXPECT_EQ(thread, ui_thread);
}

TEST(MsgWindowTest, SentCallOvertakesQueuedPostsAndWaits) {
  CMsgWindow& window = CMsgWindow::GetInstance();
  ASSERT_TRUE(window.Create());
  std::vector<std::string> events;
  std::atomic<bool> send_returned{false};
  std::thread reader([&] {
    (void)window.PostCall([&] { events.push_back("posted"); });
    window.SendCall([&] { events.push_back("sent"); });
    send_returned = true;
  });
  // Let both arrive before pumping: the sent call must overtake a post that
  // is still waiting, not one already taken off the queue.
  for (int i = 0; i < 1000 && !(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE); ++i)
    ::Sleep(10);
  ASSERT_TRUE(PumpUntil([&] { return send_returned.load(); }));
  reader.join();
  ASSERT_TRUE(PumpUntil([&] { return events.size() == 2; }));
  EXPECT_EQ(events, (std::vector<std::string>{"sent", "posted"}));
}

TEST(MsgWindowTest, StrayWakeUpsRunNothingAndTheWindowGoesOn) {
  CMsgWindow& window = CMsgWindow::GetInstance();
  ASSERT_TRUE(window.Create());
  // Another process would aim at a callable of ours: the parameters of the
  // wake-up are never taken for one.
  bool bait_ran = false;
  std::function<void()> bait = [&] { bait_ran = true; };
  const LPARAM address = reinterpret_cast<LPARAM>(&bait);
  std::atomic<bool> done{false};
  std::thread stranger([&] {
    for (const WPARAM wparam : {WPARAM{0}, WPARAM{1}, WPARAM{2}, WPARAM{3}}) {
      ::PostMessageW(window.hwnd(), RunCallMessage, wparam, address);
      ::SendMessageW(window.hwnd(), RunCallMessage, wparam, address);
    }
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
  stranger.join();
  DrainQueue();
  EXPECT_FALSE(bait_ran);

  bool ran = false;
  ASSERT_TRUE(window.PostCall([&] { ran = true; }));
  EXPECT_TRUE(PumpUntil([&] { return ran; }));
}

TEST(MsgWindowTest, CallsLeftWhenTheWindowGoesAreFreedUnrun) {
  CMsgWindow& window = CMsgWindow::GetInstance();
  ASSERT_TRUE(window.Create());
  auto token = std::make_shared<int>(0);
  bool ran = false;
  ASSERT_TRUE(window.PostCall([&ran, token] { ran = true; }));
  EXPECT_EQ(token.use_count(), 2);
  window.Destroy();
  EXPECT_EQ(token.use_count(), 1);
  // A call sent to no window is not run, and the sender is not kept waiting.
  std::thread([&] { window.SendCall([&] { ran = true; }); }).join();
  DrainQueue();
  EXPECT_FALSE(ran);
}

TEST(MsgWindowTest, RunMessageLoopRunsUntilQuit) {
  CMsgWindow::GetInstance().Destroy();
  bool reader_started = false;
  const int result = RunMessageLoop([&] {
    reader_started = true;
    EXPECT_NE(app_module::GetMessageLoop(), nullptr);
    (void)CMsgWindow::GetInstance().PostCall([] { ::PostQuitMessage(0); });
  });
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(reader_started);
  EXPECT_EQ(app_module::GetMessageLoop(), nullptr);
}

}  // namespace
