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

  // `owner` embeds this object (the object of a child window inside the
  // parent's): the owner's final message, which may delete both, then also
  // waits until this object is out of its messages.
  void SetLifetimeOwner(WindowImpl* owner) { owner_ = owner; }

  // Held by code that uses the object outside its messages across a call
  // that may run a modal loop: the final message waits for it as for a
  // message. The object may be gone once the scope ends.
  class ScopedUse {
   public:
    explicit ScopedUse(WindowImpl* object) : object_(object) { object_->Enter(); }
    ~ScopedUse() { object_->Leave(); }
    ScopedUse(const ScopedUse&) = delete;
    ScopedUse& operator=(const ScopedUse&) = delete;

   private:
    WindowImpl* const object_;
  };

  // A structured exception that a guard catches abandons the messages in
  // hand without returning through their handlers; the guard takes this
  // snapshot before the call and, after a fault, puts the window's objects
  // (and their owners) back so that a window destroyed meanwhile still gets
  // its final message.
  class FaultRecovery {
   public:
    explicit FaultRecovery(HWND hwnd);
    void Recover();

   private:
    void Add(WindowImpl* object);

    // The window's two objects and their owners.
    WindowImpl* objects_[4] = {};
    int nesting_[4] = {};
    int count_ = 0;
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
  // Around every message and use; Leave may delete the object.
  void Enter();
  void Leave();

  HWND hwnd_ = nullptr;
  Role role_ = Role::kClassOwner;
  WNDPROC previous_proc_ = nullptr;  // null: the default procedure
  WindowImpl* owner_ = nullptr;
  // Messages and uses in hand, the embedded objects' included.
  int nesting_ = 0;
  bool final_message_pending_ = false;
  HWND final_hwnd_ = nullptr;
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
