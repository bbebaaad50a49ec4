#include "channel/msg_window.h"

#include <memory>

#include "ui_base/message_loop.h"

namespace {

constexpr wchar_t kClassName[] = L"TabBridge_MsgWindow";

}  // namespace

LRESULT HandleRunCallMessage(WPARAM wparam, LPARAM lparam) {
  if (wparam == kRunCallSent) {
    (*reinterpret_cast<const std::function<void()>*>(lparam))();
  } else if (wparam == kRunCallPosted) {
    std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lparam));
    (*call)();
  }
  return 0;
}

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
}

bool CMsgWindow::PostCall(std::function<void()> call) {
  auto heap_call = std::make_unique<std::function<void()>>(std::move(call));
  if (!::PostMessageW(hwnd_, RunCallMessage, kRunCallPosted,
                      reinterpret_cast<LPARAM>(heap_call.get()))) {
    return false;
  }
  (void)heap_call.release();  // the window owns it now
  return true;
}

void CMsgWindow::SendCall(const std::function<void()>& call) {
  ::SendMessageW(hwnd_, RunCallMessage, kRunCallSent, reinterpret_cast<LPARAM>(&call));
}

LRESULT CALLBACK CMsgWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == RunCallMessage)
    return HandleRunCallMessage(wparam, lparam);
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
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
