#include "ie_control/wnd_proc_hook.h"

#include <utility>

#include "ui_base/seh_guard.h"
#include "ui_base/window_impl.h"

LRESULT CALLBACK GuardedWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto previous = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, kWndProcHookProperty));
  if (!previous)
    return 0;
  LRESULT result = 0;
  WindowImpl::FaultRecovery recovery(hwnd);
  if (!RunWithExceptionGuard(
          [&] { result = ::CallWindowProcW(previous, hwnd, message, wparam, lparam); })) {
    recovery.Recover();
    return 0;
  }
  return result;
}

bool CWndProcHook::HookWindow(HWND hwnd) {
  if (hooked_window_ || !::IsWindow(hwnd))
    return false;
  const LONG_PTR previous =
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GuardedWndProc));
  if (!previous)
    return false;
  if (!::SetPropW(hwnd, kWndProcHookProperty, reinterpret_cast<HANDLE>(previous))) {
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, previous);
    return false;
  }
  hooked_window_ = hwnd;
  return true;
}

void CWndProcHook::UnhookWindow() {
  const HWND hwnd = std::exchange(hooked_window_, nullptr);
  if (!hwnd || !::IsWindow(hwnd))
    return;
  const HANDLE previous = ::GetPropW(hwnd, kWndProcHookProperty);
  // A procedure put in front of ours since still needs us behind it.
  if (!previous ||
      ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&GuardedWndProc)) {
    return;
  }
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  ::RemovePropW(hwnd, kWndProcHookProperty);
}
