#ifndef TOOLS_STAND_IN_ENGINE_MESSAGE_WINDOW_H_
#define TOOLS_STAND_IN_ENGINE_MESSAGE_WINDOW_H_

#include <windows.h>

#include <functional>

#include "tools/stand_in_engine/scoped_com.h"

// A hidden message-only window that hands the messages posted to it to a
// callback on the thread that created it: how work done elsewhere reaches
// the user-interface thread, where the host expects every event.
class MessageWindow {
 public:
  using Handler = std::function<void(UINT message)>;

  MessageWindow() = default;
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  [[nodiscard]] bool Create(Handler handler);
  HWND hwnd() const { return window_.get(); }
  bool Post(UINT message) const { return ::PostMessageW(window_.get(), message, 0, 0) != FALSE; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  Handler handler_;
  unique_hwnd window_;
};

void UnregisterMessageWindowClass();

#endif  // TOOLS_STAND_IN_ENGINE_MESSAGE_WINDOW_H_
