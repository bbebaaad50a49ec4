#ifndef UTILS_SCOPED_HANDLE_H_
#define UTILS_SCOPED_HANDLE_H_

#include <windows.h>

#include <utility>

// Owning wrappers for kernel handles, registry keys, modules and windows.
template <typename Traits>
class UniqueAny {
 public:
  using Handle = typename Traits::Handle;

  UniqueAny() = default;
  explicit UniqueAny(Handle handle) : handle_(handle) {}
  UniqueAny(UniqueAny&& other) noexcept : handle_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  Handle get() const { return handle_; }
  bool is_valid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return is_valid(); }

  // For APIs that return the handle through an out parameter.
  Handle* put() {
    reset();
    return &handle_;
  }
  void reset(Handle handle = Traits::Invalid()) {
    if (Traits::IsValid(handle_))
      Traits::Close(handle_);
    handle_ = handle;
  }
  [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::Invalid()); }

 private:
  Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};

struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyWindow(h); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::DestroyMenu(h); }
};

struct WindowsHookTraits {
  using Handle = HHOOK;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::UnhookWindowsHookEx(h); }
};

using unique_handle = UniqueAny<KernelHandleTraits>;
using unique_hfind = UniqueAny<FindHandleTraits>;
using unique_hhook = UniqueAny<WindowsHookTraits>;
using unique_hkey = UniqueAny<RegKeyTraits>;
using unique_hmenu = UniqueAny<MenuTraits>;
using unique_hmodule = UniqueAny<ModuleTraits>;
using unique_hwnd = UniqueAny<WindowTraits>;

#endif  // UTILS_SCOPED_HANDLE_H_
