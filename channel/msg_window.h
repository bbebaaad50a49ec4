#ifndef CHANNEL_MSG_WINDOW_H_
#define CHANNEL_MSG_WINDOW_H_

#include <windows.h>

#include <functional>

#include "channel/native_message.h"

// Carries a callable to the user-interface thread. wParam 1: lParam points to
// a callable the sender owns and waits for; wParam 2: lParam points to a heap
// callable the receiver runs and deletes.
inline constexpr UINT RunCallMessage = WM_USER + 1000;
inline constexpr WPARAM kRunCallSent = 1;
inline constexpr WPARAM kRunCallPosted = 2;

// Runs RunCallMessage for any window that receives it; returns 0.
LRESULT HandleRunCallMessage(WPARAM wparam, LPARAM lparam);

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
};

// Creates the message window, registers a message loop for this thread, calls
// `start_reader` and runs the loop until the quit message. Returns 1 when the
// loop ran and 0 when the window could not be created.
int RunMessageLoop(const std::function<void()>& start_reader);

#endif  // CHANNEL_MSG_WINDOW_H_
