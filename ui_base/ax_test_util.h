#ifndef UI_BASE_AX_TEST_UTIL_H_
#define UI_BASE_AX_TEST_UTIL_H_

#include <windows.h>

#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "ui_base/com_object.h"
#include "utils/com_ptr.h"
#include "utils/scoped_handle.h"

// Test support for control hosting: OLE for the test's thread, a bounded
// message pump and plain windows.

class ScopedOleInitialize {
 public:
  ScopedOleInitialize() : result_(::OleInitialize(nullptr)) {}
  ~ScopedOleInitialize() {
    if (SUCCEEDED(result_))
      ::OleUninitialize();
  }
  ScopedOleInitialize(const ScopedOleInitialize&) = delete;
  ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;

  bool ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

// Dispatches this thread's messages until `done` or `timeout_ms` pass.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeout_ms = 10000);
// Dispatches what is queued now and what it causes within `ms`.
void PumpMessagesFor(DWORD ms);

// A window whose procedure is DefWindowProcW, placed on the virtual display.
unique_hwnd CreatePlainWindow(HWND parent = nullptr, DWORD style = WS_POPUP | WS_VISIBLE);

#endif  // UI_BASE_AX_TEST_UTIL_H_
