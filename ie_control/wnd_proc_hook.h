#ifndef IE_CONTROL_WND_PROC_HOOK_H_
#define IE_CONTROL_WND_PROC_HOOK_H_

#include <windows.h>

// Where a hooked window keeps the procedure that GuardedWndProc calls.
inline constexpr wchar_t kWndProcHookProperty[] = L"{B79D6242-77A8-44E2-B481-E921EAEC733E}";

// Calls the procedure kept in kWndProcHookProperty inside an exception guard:
// a fault while the window handles a message ends that message with 0
// instead of the process. Without the property it answers 0.
LRESULT CALLBACK GuardedWndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Puts GuardedWndProc in front of one window's procedure.
class CWndProcHook {
 public:
  CWndProcHook(const CWndProcHook&) = delete;
  CWndProcHook& operator=(const CWndProcHook&) = delete;

  [[nodiscard]] bool HookWindow(HWND hwnd);
  // Puts the previous procedure back, if the window still exists and is
  // still ours.
  void UnhookWindow();
  HWND hooked_window() const { return hooked_window_; }

 protected:
  CWndProcHook() = default;
  ~CWndProcHook() { UnhookWindow(); }

 private:
  HWND hooked_window_ = nullptr;
};

#endif  // IE_CONTROL_WND_PROC_HOOK_H_
