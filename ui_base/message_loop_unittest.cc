#include "ui_base/message_loop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

namespace {

constexpr UINT kTestMessage = WM_APP + 7;

class RecordingFilter : public CMessageFilter {
 public:
  RecordingFilter(std::vector<int>* log, int id) : log_(log), id_(id) {}
  bool PreTranslateMessage(MSG* msg) override {
    if (msg->message != kTestMessage)
      return false;
    log_->push_back(id_);
    if (on_message)
      on_message();
    return take;
  }
  bool take = false;
  std::function<void()> on_message;

 private:
  std::vector<int>* log_;
  int id_;
};

TEST(MessageLoopTest, LatestFilterSeesMessagesFirstAndMayTakeThemOrRemoveFilters) {
  CMessageLoop loop;
  std::vector<int> log;
  // Runs the loop over one test message; the filters that saw it.
  const auto run_over_one_message = [&] {
    log.clear();
    ::PostThreadMessageW(::GetCurrentThreadId(), kTestMessage, 0, 0);
    ::PostQuitMessage(5);
    EXPECT_EQ(loop.Run(), 5);
    return log;
  };
  RecordingFilter first(&log, 1);
  RecordingFilter second(&log, 2);
  loop.AddMessageFilter(&first);
  loop.AddMessageFilter(&second);
  EXPECT_EQ(run_over_one_message(), (std::vector<int>{2, 1}));
  second.take = true;
  EXPECT_EQ(run_over_one_message(), std::vector<int>{2});
  second.take = false;
  second.on_message = [&] {
    loop.RemoveMessageFilter(&second);
    loop.RemoveMessageFilter(&first);
  };
  EXPECT_EQ(run_over_one_message(), std::vector<int>{2}) << "a removed filter is not called";
  EXPECT_EQ(run_over_one_message(), std::vector<int>{});
}

TEST(MessageLoopIdleTest, MouseMovesPaintAndSystemTimersDoNotCountAsInput) {
  for (const UINT message : {WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118, WM_KEYDOWN})
    EXPECT_EQ(CMessageLoop::IsIdleMessage(MSG{nullptr, message}), message == WM_KEYDOWN) << message;
}

}  // namespace
