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

class MessageLoopTest : public testing::Test {
 protected:
  // Runs the loop over one test message; the filters that saw it.
  std::vector<int> RunOverOneMessage() {
    log_.clear();
    ::PostThreadMessageW(::GetCurrentThreadId(), kTestMessage, 0, 0);
    ::PostQuitMessage(5);
    EXPECT_EQ(loop_.Run(), 5);
    return log_;
  }

  CMessageLoop loop_;
  std::vector<int> log_;
  RecordingFilter first_{&log_, 1, false};
};

TEST_F(MessageLoopTest, LatestFilterSeesMessagesFirstAndCanTakeThem) {
  RecordingFilter second(&log_, 2, true);
  loop_.AddMessageFilter(&first_);
  loop_.AddMessageFilter(&second);
  EXPECT_EQ(RunOverOneMessage(), std::vector<int>{2});
  loop_.RemoveMessageFilter(&second);
  EXPECT_EQ(RunOverOneMessage(), std::vector<int>{1});
}

TEST_F(MessageLoopTest, FilterMayRemoveItselfWhileSeeingAMessage) {
  RecordingFilter second(&log_, 2, false);
  second.on_message = [&] {
    loop_.RemoveMessageFilter(&second);
    loop_.RemoveMessageFilter(&first_);
  };
  loop_.AddMessageFilter(&first_);
  loop_.AddMessageFilter(&second);
  EXPECT_EQ(RunOverOneMessage(), std::vector<int>{2}) << "a removed filter is not called";
}

TEST(MessageLoopIdleTest, MouseMovesPaintAndSystemTimersDoNotCountAsInput) {
  for (const UINT message : {WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118, WM_KEYDOWN})
    EXPECT_EQ(CMessageLoop::IsIdleMessage(MSG{nullptr, message}), message == WM_KEYDOWN) << message;
}

}  // namespace
