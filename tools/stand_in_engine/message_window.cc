#include "tools/stand_in_engine/message_window.h"

#include "tools/stand_in_engine/module_lifetime.h"

namespace {

constexpr wchar_t kClassName[] = L"StandInEngineMessages";

}  // namespace

bool MessageWindow::Create(Handler handler) {
  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.lpfnWndProc = &MessageWindow::WindowProc;
  window_class.hInstance = ThisModule();
  window_class.lpszClassName = kClassName;
  if (!::RegisterClassExW(&window_class) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  handler_ = std::move(handler);
  window_.reset(::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ThisModule(), nullptr));
  if (!window_)
    return false;
  ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && message >= WM_APP && message <= 0xBFFF) {
    self->handler_(message);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

void UnregisterMessageWindowClass() {
  ::UnregisterClassW(kClassName, ThisModule());
}
