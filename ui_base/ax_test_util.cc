#include "ui_base/ax_test_util.h"

#include <algorithm>

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
  while (!done()) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done())
      return true;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline)
      return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                QS_ALLINPUT);
  }
  return true;
}

void PumpMessagesFor(DWORD ms) {
  (void)PumpMessagesUntil([] { return false; }, ms);
}

unique_hwnd CreatePlainWindow(HWND parent, DWORD style) {
  unique_hwnd window(::CreateWindowExW(0, L"STATIC", L"", style & ~WS_VISIBLE, 10, 10, 400, 300,
                                       parent, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  // Shown without activation: Wine under Xvfb takes two seconds to destroy
  // a window that was activated.
  if (window && (style & WS_VISIBLE))
    ::ShowWindow(window.get(), SW_SHOWNA);
  return window;
}
