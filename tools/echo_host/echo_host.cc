// Benchmark baseline: the channel's framing and parsing with nothing behind
// them. Answers every host_ping on the reader thread, without the hand-over to
// a user-interface thread.
#include <windows.h>

#include "channel/client_notifications.h"
#include "channel/native_message.h"
#include "channel/std_handles.h"

namespace {

class InlineRunner : public NativeMessage::CallRunner {
 public:
  bool PostCall(std::function<void()> call) override {
    call();
    return true;
  }
  void SendCall(const std::function<void()>& call) override { call(); }
};

class PingAnswerer : public NativeMessage::Delegate {
 public:
  bool CrxPing(const PingParams& params) override {
    const auto text = BuildCommonResponse(params.session_id, "-1");
    return text && channel->WriteMessage(*text);
  }
  NativeMessage* channel = nullptr;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  DetachStdHandles();
  StdChannelStream stream;
  InlineRunner runner;
  PingAnswerer answerer;
  NativeMessage channel(&answerer, &stream, &runner);
  answerer.channel = &channel;
  channel.ReadLoop();
  CloseChannelHandles();
  return 1;
}
