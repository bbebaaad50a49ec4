#ifndef UI_BASE_COM_PTR_H_
#define UI_BASE_COM_PTR_H_

#include <windows.h>

#include <unknwn.h>

#include <cstddef>
#include <utility>

// Owns one reference to a COM object and releases it when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a reference of its own; the caller keeps its one.
  explicit ComPtr(T* ptr) : ptr_(ptr) {
    if (ptr_)
      ptr_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.ptr_) {}
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

  // For out parameters that hand over a reference; drops the current one.
  T** put() {
    Reset();
    return &ptr_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  void Reset() {
    if (T* old = std::exchange(ptr_, nullptr))
      old->Release();
  }
  void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }
  // Hands the reference over to the caller.
  [[nodiscard]] T* Detach() { return std::exchange(ptr_, nullptr); }

  // Hands a new reference out through `out`, which may be null.
  HRESULT CopyTo(T** out) const {
    if (!out)
      return E_POINTER;
    *out = ptr_;
    if (ptr_)
      ptr_->AddRef();
    return S_OK;
  }

  // QueryInterface for another interface of the same object.
  template <typename Q>
  [[nodiscard]] HRESULT As(ComPtr<Q>* out) const {
    out->Reset();
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
  ComPtr<IUnknown> unknown_a;
  ComPtr<IUnknown> unknown_b;
  return SUCCEEDED(a->QueryInterface(IID_IUnknown, unknown_a.put_void())) &&
         SUCCEEDED(b->QueryInterface(IID_IUnknown, unknown_b.put_void())) &&
         unknown_a.get() == unknown_b.get();
}

#endif  // UI_BASE_COM_PTR_H_
