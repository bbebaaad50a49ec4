#ifndef UTILS_COM_PTR_H_
#define UTILS_COM_PTR_H_

#include <windows.h>

#include <unknwn.h>

#include <cstddef>
#include <utility>

// Owns one reference to a COM object and releases it when it goes.
template <typename T>
class com_ptr {
 public:
  com_ptr() = default;
  com_ptr(std::nullptr_t) {}
  // Takes a reference of its own; the caller keeps its one.
  explicit com_ptr(T* ptr) : ptr_(ptr) {
    if (ptr_)
      ptr_->AddRef();
  }
  com_ptr(const com_ptr& other) : com_ptr(other.ptr_) {}
  com_ptr(com_ptr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ~com_ptr() { reset(); }

  com_ptr& operator=(const com_ptr& other) {
    com_ptr(other).swap(*this);
    return *this;
  }
  com_ptr& operator=(com_ptr&& other) noexcept {
    com_ptr(std::move(other)).swap(*this);
    return *this;
  }
  com_ptr& operator=(std::nullptr_t) {
    reset();
    return *this;
  }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

  // For out parameters that hand over a reference; drops the current one.
  T** put() {
    reset();
    return &ptr_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  void reset() {
    if (T* old = std::exchange(ptr_, nullptr))
      old->Release();
  }
  void swap(com_ptr& other) noexcept { std::swap(ptr_, other.ptr_); }
  // Hands the reference over to the caller.
  [[nodiscard]] T* release() { return std::exchange(ptr_, nullptr); }

  // Hands a new reference out through `out`, which may be null.
  HRESULT copy_to(T** out) const {
    if (!out)
      return E_POINTER;
    *out = ptr_;
    if (ptr_)
      ptr_->AddRef();
    return S_OK;
  }

  // QueryInterface for another interface of the same object.
  template <typename Q>
  [[nodiscard]] HRESULT query(com_ptr<Q>* out) const {
    out->reset();
    if (!ptr_)
      return E_POINTER;
    return ptr_->QueryInterface(__uuidof(Q), out->put_void());
  }

 private:
  T* ptr_ = nullptr;
};

// COM identity: two pointers are the same object when their IUnknowns are.
inline bool IsSameComObject(IUnknown* a, IUnknown* b) {
  if (!a || !b)
    return a == b;
  com_ptr<IUnknown> unknown_a;
  com_ptr<IUnknown> unknown_b;
  return SUCCEEDED(a->QueryInterface(IID_IUnknown, unknown_a.put_void())) &&
         SUCCEEDED(b->QueryInterface(IID_IUnknown, unknown_b.put_void())) &&
         unknown_a.get() == unknown_b.get();
}

#endif  // UTILS_COM_PTR_H_
