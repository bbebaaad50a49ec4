// Benchmark baseline: the channel's framing and parsing with nothing behind
// them. Answers every host_ping on the reader thread, or, with "--ui-thread",
// after the same hand-over to a message window that the product makes.
#include <windows.h>

#include <cwchar>

#include "channel/client_notifications.h"
#include "channel/msg_window.h"
#include "channel/native_message.h"
#include "channel/std_handles.h"
#include "utils/scoped_handle.h"

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
  bool QuitExtension() override {
    ::PostQuitMessage(0);
    return true;
  }
  NativeMessage* channel = nullptr;
};

DWORD WINAPI ReaderThread(void* channel) {
  static_cast<NativeMessage*>(channel)->ReadLoop();
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  DetachStdHandles();
  StdChannelStream stream;
  PingAnswerer answerer;
  if (std::wcsstr(command_line, L"--ui-thread")) {
    NativeMessage channel(&answerer, &stream, &CMsgWindow::GetInstance());
    answerer.channel = &channel;
    unique_handle reader;
    RunMessageLoop(
        [&] { reader.reset(::CreateThread(nullptr, 0, &ReaderThread, &channel, 0, nullptr)); });
  } else {
    InlineRunner runner;
    NativeMessage channel(&answerer, &stream, &runner);
    answerer.channel = &channel;
    channel.ReadLoop();
  }
  CloseChannelHandles();
  return 1;
}
