#include "ui_base/window_impl.h"

#include <algorithm>
#include <utility>

#include "ui_base/message_loop.h"

namespace {

// Which object serves a window, one property per role.
constexpr wchar_t kClassOwnerProperty[] = L"TabBridge.WindowImpl";
constexpr wchar_t kSubclassProperty[] = L"TabBridge.WindowImpl.Subclass";

// The object whose window is being created on this thread: the class
// procedure adopts it at the window's first message.
thread_local WindowImpl* t_creating = nullptr;

}  // namespace

WindowImpl::~WindowImpl() {
  if (hwnd_)
    Detach();
}

bool WindowImpl::RegisterWindowClass(const WindowClassInfo& info) {
  const HINSTANCE instance = app_module::Instance();
  WNDCLASSEXW existing = {sizeof(existing)};
  if (::GetClassInfoExW(instance, info.name, &existing))
    return existing.lpfnWndProc == &WindowImpl::ClassWindowProc;

  WNDCLASSEXW window_class = {sizeof(window_class)};
  window_class.style = info.style;
  window_class.lpfnWndProc = &WindowImpl::ClassWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = info.cursor ? ::LoadCursorW(nullptr, info.cursor) : nullptr;
  window_class.hbrBackground = info.background;
  window_class.lpszClassName = info.name;
  return ::RegisterClassExW(&window_class) != 0;
}

HWND WindowImpl::CreateWindowOfClass(const WindowClassInfo& info,
                                     HWND parent,
                                     const RECT& rect,
                                     DWORD style,
                                     DWORD ex_style,
                                     UINT id) {
  if (hwnd_ || !RegisterWindowClass(info))
    return nullptr;
  // The id travels as the menu handle, which only a child may give.
  const HMENU id_or_menu =
      (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  t_creating = this;
  const HWND hwnd = ::CreateWindowExW(ex_style, info.name, L"", style, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, parent,
                                      id_or_menu, app_module::Instance(), nullptr);
  t_creating = nullptr;
  return hwnd;
}

bool WindowImpl::SubclassWindow(HWND hwnd) {
  if (hwnd_ || !::IsWindow(hwnd) || ::GetPropW(hwnd, kSubclassProperty))
    return false;
  Attach(hwnd, Role::kSubclass);
  return true;
}

LRESULT WindowImpl::DefaultProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (previous_proc_)
    return ::CallWindowProcW(previous_proc_, hwnd_, message, wparam, lparam);
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

const wchar_t* WindowImpl::PropertyFor(Role role) {
  return role == Role::kClassOwner ? kClassOwnerProperty : kSubclassProperty;
}

void WindowImpl::Attach(HWND hwnd, Role role) {
  hwnd_ = hwnd;
  role_ = role;
  ::SetPropW(hwnd, PropertyFor(role), this);
  if (role == Role::kSubclass) {
    previous_proc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowImpl::SubclassWindowProc)));
  }
}

void WindowImpl::Detach() {
  ::RemovePropW(hwnd_, PropertyFor(role_));
  // Only while nobody has put a procedure in front of ours since.
  if (role_ == Role::kSubclass && ::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) ==
                                      reinterpret_cast<LONG_PTR>(&WindowImpl::SubclassWindowProc)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_proc_));
  }
  hwnd_ = nullptr;
}

WindowImpl::FaultRecovery::FaultRecovery(HWND hwnd) {
  WindowImpl* const served[] = {static_cast<WindowImpl*>(::GetPropW(hwnd, kClassOwnerProperty)),
                                static_cast<WindowImpl*>(::GetPropW(hwnd, kSubclassProperty))};
  for (WindowImpl* object : served)
    Add(object);
  for (WindowImpl* object : served)
    Add(object ? object->owner_ : nullptr);
}

void WindowImpl::FaultRecovery::Add(WindowImpl* object) {
  if (!object || std::find(objects_, objects_ + count_, object) != objects_ + count_)
    return;
  objects_[count_] = object;
  nesting_[count_] = object->nesting_;
  ++count_;
}

void WindowImpl::FaultRecovery::Recover() {
  // The objects are still alive: only a final message deletes them, and the
  // abandoned messages kept their nesting above zero.
  for (int i = 0; i < count_; ++i)
    objects_[i]->nesting_ = nesting_[i];
  // Owners come last: their final message may delete what they embed.
  for (int i = 0; i < count_; ++i) {
    WindowImpl* object = objects_[i];
    if (object->nesting_ == 0 && object->final_message_pending_) {
      object->final_message_pending_ = false;
      object->OnFinalMessage(object->final_hwnd_);
    }
  }
}

LRESULT WindowImpl::Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Enter();
  LRESULT result = 0;
  if (!ProcessWindowMessage(hwnd, message, wparam, lparam, result))
    result = DefaultProc(message, wparam, lparam);
  if (message == WM_NCDESTROY && hwnd_ == hwnd) {
    Detach();
    final_message_pending_ = true;
    final_hwnd_ = hwnd;
  }
  Leave();
  return result;
}

void WindowImpl::Enter() {
  ++nesting_;
  if (owner_)
    owner_->Enter();
}

void WindowImpl::Leave() {
  WindowImpl* const owner = owner_;  // the final message may delete us
  // A window destroyed from inside one of its handlers ends only when the
  // outermost message is done with the object.
  if (--nesting_ == 0 && final_message_pending_) {
    final_message_pending_ = false;
    OnFinalMessage(final_hwnd_);
  }
  if (owner)
    owner->Leave();
}

LRESULT CALLBACK WindowImpl::ClassWindowProc(HWND hwnd,
                                             UINT message,
                                             WPARAM wparam,
                                             LPARAM lparam) {
  auto* self = static_cast<WindowImpl*>(::GetPropW(hwnd, kClassOwnerProperty));
  if (!self && t_creating) {
    self = std::exchange(t_creating, nullptr);
    self->Attach(hwnd, Role::kClassOwner);
  }
  if (!self)
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Dispatch(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK WindowImpl::SubclassWindowProc(HWND hwnd,
                                                UINT message,
                                                WPARAM wparam,
                                                LPARAM lparam) {
  auto* self = static_cast<WindowImpl*>(::GetPropW(hwnd, kSubclassProperty));
  if (!self)
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Dispatch(hwnd, message, wparam, lparam);
}
