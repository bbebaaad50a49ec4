#ifndef UI_BASE_WINDOW_IMPL_H_
#define UI_BASE_WINDOW_IMPL_H_

#include <windows.h>

// A C++ object that receives a window's messages through its message map.
// It either owns the window's class procedure (CreateWindowOfClass) or takes
// over an existing window in front of its procedure (SubclassWindow); one
// object of each kind may serve the same window.
//
//   TB_BEGIN_MSG_MAP()
//     TB_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
//     TB_CHAIN_MSG_MAP(BaseClass)
//   TB_END_MSG_MAP()
//
// Handlers: LRESULT OnSomething(UINT message, WPARAM, LPARAM, bool& handled);
// `handled` starts true; a handler that clears it lets the message go on.
// Unhandled messages go to the window's previous procedure, or the default.

struct WindowClassInfo {
  const wchar_t* name;
  UINT style;
  HBRUSH background;      // a brush or COLOR_* + 1; null paints nothing
  const wchar_t* cursor;  // a system cursor (IDC_*) or null
};

class WindowImpl {
 public:
  WindowImpl(const WindowImpl&) = delete;
  WindowImpl& operator=(const WindowImpl&) = delete;

  HWND hwnd() const { return hwnd_; }

  // Registers the class once per process; true when it is registered.
  [[nodiscard]] static bool RegisterWindowClass(const WindowClassInfo& info);

  // A structured exception that a guard catches abandons the messages in
  // hand without returning through their handlers; the guard takes this
  // snapshot before the call and, after a fault, puts the window's objects
  // back so that a window destroyed meanwhile still gets its final message.
  class FaultRecovery {
   public:
    explicit FaultRecovery(HWND hwnd);
    void Recover();

   private:
    HWND hwnd_;
    WindowImpl* objects_[2];
    int nesting_[2];
  };

  // The message map. True when the message is handled, with its result.
  virtual bool ProcessWindowMessage(HWND hwnd,
                                    UINT message,
                                    WPARAM wparam,
                                    LPARAM lparam,
                                    LRESULT& result) = 0;

 protected:
  WindowImpl() = default;
  // A window that outlives its object goes on with its previous (or the
  // default) procedure.
  virtual ~WindowImpl();

  // `id` is the control id of a child window; top-level windows have none.
  HWND CreateWindowOfClass(const WindowClassInfo& info,
                           HWND parent,
                           const RECT& rect,
                           DWORD style,
                           DWORD ex_style,
                           UINT id);
  [[nodiscard]] bool SubclassWindow(HWND hwnd);

  // Passes a message on to the previous or the default procedure.
  LRESULT DefaultProc(UINT message, WPARAM wparam, LPARAM lparam);

  // Runs once the window is gone (after WM_NCDESTROY and every message still
  // being handled); hwnd() is null by then and the object may delete itself.
  virtual void OnFinalMessage(HWND hwnd) {}

 private:
  enum class Role { kClassOwner, kSubclass };

  static LRESULT CALLBACK ClassWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK SubclassWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static const wchar_t* PropertyFor(Role role);

  void Attach(HWND hwnd, Role role);
  void Detach();
  LRESULT Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  Role role_ = Role::kClassOwner;
  WNDPROC previous_proc_ = nullptr;  // null: the default procedure
  int nesting_ = 0;
  bool final_message_pending_ = false;
};

#define TB_BEGIN_MSG_MAP()                                                         \
  bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, \
                            LRESULT& result) override {                            \
    bool handled = true;                                                           \
    (void)hwnd;                                                                    \
    (void)handled;

#define TB_MESSAGE_HANDLER(msg, handler)                \
  if (message == (msg)) {                               \
    handled = true;                                     \
    result = handler(message, wparam, lparam, handled); \
    if (handled)                                        \
      return true;                                      \
  }

#define TB_CHAIN_MSG_MAP(BaseClass)                                           \
  if (BaseClass::ProcessWindowMessage(hwnd, message, wparam, lparam, result)) \
    return true;

#define TB_END_MSG_MAP() \
  return false;          \
  }

#endif  // UI_BASE_WINDOW_IMPL_H_
