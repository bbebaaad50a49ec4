#include "channel/msg_window.h"

#include "ui_base/message_loop.h"

namespace {

constexpr wchar_t kClassName[] = L"TabBridge_MsgWindow";

}  // namespace

CMsgWindow& CMsgWindow::GetInstance() {
  // Never destroyed: the reader thread may still hand work over while the
  // process exits.
  static auto* const instance = new CMsgWindow;
  return *instance;
}

CMsgWindow::~CMsgWindow() {
  Destroy();
}

bool CMsgWindow::Create() {
  if (hwnd_)
    return true;
  const HINSTANCE instance = app_module::Instance();
  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.lpfnWndProc = &CMsgWindow::WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  if (!::RegisterClassExW(&window_class) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  hwnd_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                            nullptr);
  return hwnd_ != nullptr;
}

void CMsgWindow::Destroy() {
  if (hwnd_ && ::IsWindow(hwnd_))
    ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  calls_.Clear();
}

bool CMsgWindow::PostCall(std::function<void()> call) {
  // Without a window the wake-up would become a thread message.
  return hwnd_ && calls_.Post(hwnd_, std::move(call));
}

void CMsgWindow::SendCall(const std::function<void()>& call) {
  (void)calls_.Send(hwnd_, call);
}

LRESULT CALLBACK CMsgWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != RunCallMessage)
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  // Only the window we made takes calls, whatever else shares the class.
  CMsgWindow& self = GetInstance();
  if (hwnd == self.hwnd_)
    self.calls_.OnWakeUp(wparam);
  return 0;
}

int RunMessageLoop(const std::function<void()>& start_reader) {
  if (!CMsgWindow::GetInstance().Create())
    return 0;
  CMessageLoop loop;
  app_module::AddMessageLoop(&loop);
  start_reader();
  loop.Run();
  app_module::RemoveMessageLoop();
  return 1;
}
