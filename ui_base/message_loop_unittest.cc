#include "ui_base/message_loop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

namespace {

constexpr UINT kTestMessage = WM_APP + 7;

class RecordingFilter : public CMessageFilter {
 public:
  RecordingFilter(std::vector<int>* log, int id, bool take) : log_(log), id_(id), take_(take) {}
  bool PreTranslateMessage(MSG* msg) override {
    if (msg->message != kTestMessage)
      return false;
    log_->push_back(id_);
    if (on_message)
      on_message();
    return take_;
  }
  std::function<void()> on_message;

 private:
  std::vector<int>* log_;
  int id_;
  bool take_;
};

TEST(MessageLoopTest, LatestFilterSeesMessagesFirstAndCanTakeThem) {
  CMessageLoop loop;
  std::vector<int> log;
  RecordingFilter first(&log, 1, false);
  RecordingFilter second(&log, 2, true);
  loop.AddMessageFilter(&first);
  loop.AddMessageFilter(&second);
  ::PostThreadMessageW(::GetCurrentThreadId(), kTestMessage, 0, 0);
  ::PostQuitMessage(5);
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_EQ(log, std::vector<int>{2});

  log.clear();
  loop.RemoveMessageFilter(&second);
  ::PostThreadMessageW(::GetCurrentThreadId(), kTestMessage, 0, 0);
  ::PostQuitMessage(0);
  loop.Run();
  EXPECT_EQ(log, std::vector<int>{1});
}

TEST(MessageLoopTest, FilterMayRemoveItselfWhileSeeingAMessage) {
  CMessageLoop loop;
  std::vector<int> log;
  RecordingFilter first(&log, 1, false);
  RecordingFilter second(&log, 2, false);
  second.on_message = [&] {
    loop.RemoveMessageFilter(&second);
    loop.RemoveMessageFilter(&first);
  };
  loop.AddMessageFilter(&first);
  loop.AddMessageFilter(&second);
  ::PostThreadMessageW(::GetCurrentThreadId(), kTestMessage, 0, 0);
  ::PostQuitMessage(0);
  loop.Run();
  EXPECT_EQ(log, std::vector<int>{2}) << "a removed filter is not called";
}

TEST(MessageLoopTest, MouseMovesDoNotCountAsInput) {
  MSG msg = {};
  msg.message = WM_MOUSEMOVE;
  EXPECT_FALSE(CMessageLoop::IsIdleMessage(msg));
  msg.message = WM_PAINT;
  EXPECT_FALSE(CMessageLoop::IsIdleMessage(msg));
  msg.message = 0x0118;
  EXPECT_FALSE(CMessageLoop::IsIdleMessage(msg));
  msg.message = WM_KEYDOWN;
  EXPECT_TRUE(CMessageLoop::IsIdleMessage(msg));
}

}  // namespace
