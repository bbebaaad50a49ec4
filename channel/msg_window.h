#ifndef CHANNEL_MSG_WINDOW_H_
#define CHANNEL_MSG_WINDOW_H_

#include <windows.h>

#include <functional>

#include "channel/native_message.h"
#include "ui_base/task_queue.h"

// The wake-up of a window's TaskQueue of calls (the message window's, a
// frame's); it carries no call itself.
inline constexpr UINT RunCallMessage = WM_USER + 1000;

// The hidden message-only window through which the reader thread hands work
// to the user-interface thread.
class CMsgWindow : public NativeMessage::CallRunner {
 public:
  static CMsgWindow& GetInstance();

  // Creates the window on the calling (user-interface) thread.
  [[nodiscard]] bool Create();
  void Destroy();
  HWND hwnd() const { return hwnd_; }

  bool PostCall(std::function<void()> call) override;
  void SendCall(const std::function<void()>& call) override;

 private:
  CMsgWindow() = default;
  ~CMsgWindow() override;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  TaskQueue calls_{RunCallMessage};
};

// Creates the message window, registers a message loop for this thread, calls
// `start_reader` and runs the loop until the quit message. Returns 1 when the
// loop ran and 0 when the window could not be created.
int RunMessageLoop(const std::function<void()>& start_reader);

#endif  // CHANNEL_MSG_WINDOW_H_
