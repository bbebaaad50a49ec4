#ifndef TOOLS_STAND_IN_ENGINE_SCOPED_COM_H_
#define TOOLS_STAND_IN_ENGINE_SCOPED_COM_H_

#include <windows.h>

#include <oleauto.h>
#include <wininet.h>

#include <wrl/client.h>

#include <memory>
#include <string_view>
#include <utility>

#include "utils/scoped_handle.h"

// Owning wrappers, in the manner of utils/scoped_handle.h, for what the
// engine holds besides handles, windows and COM pointers (those are
// Microsoft::WRL::ComPtr).

// Takes over a reference someone else handed out, without adding one:
// mingw's ComPtr::Attach adds a reference, unlike the platform's.
template <typename T>
void AdoptReference(T* object, Microsoft::WRL::ComPtr<T>* owner) {
  owner->Reset();
  *owner->GetAddressOf() = object;
}

// A new COM object whose reference count starts at 1, owned by the result.
template <typename T, typename... Args>
Microsoft::WRL::ComPtr<T> NewComObject(Args&&... args) {
  Microsoft::WRL::ComPtr<T> object;
  AdoptReference(new T(std::forward<Args>(args)...), std::addressof(object));
  return object;
}

struct BstrTraits {
  using Handle = BSTR;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::SysFreeString(h); }
};
using unique_bstr = UniqueAny<BstrTraits>;

inline unique_bstr MakeBstr(std::wstring_view text) {
  return unique_bstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using unique_hinternet = UniqueAny<InternetHandleTraits>;

// A VARIANT cleared when the scope ends.
class ScopedVariant {
 public:
  ScopedVariant() { ::VariantInit(&value_); }
  ~ScopedVariant() { ::VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  static ScopedVariant String(std::wstring_view text) {
    ScopedVariant variant;
    variant.value_.vt = VT_BSTR;
    variant.value_.bstrVal = MakeBstr(text).release();
    return variant;
  }
  static ScopedVariant Long(LONG number) {
    ScopedVariant variant;
    variant.value_.vt = VT_I4;
    variant.value_.lVal = number;
    return variant;
  }
  // Takes a reference of its own.
  static ScopedVariant Unknown(IUnknown* object) {
    ScopedVariant variant;
    variant.value_.vt = VT_UNKNOWN;
    variant.value_.punkVal = object;
    if (object)
      object->AddRef();
    return variant;
  }

  ScopedVariant(ScopedVariant&& other) noexcept : value_(other.Release()) {}
  ScopedVariant& operator=(ScopedVariant&& other) noexcept {
    if (this != &other) {
      ::VariantClear(&value_);
      value_ = other.Release();
    }
    return *this;
  }

  // Hands the value and what it owns to the caller.
  [[nodiscard]] VARIANT Release() {
    VARIANT value = value_;
    ::VariantInit(&value_);
    return value;
  }

  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }

 private:
  VARIANT value_;
};

#endif  // TOOLS_STAND_IN_ENGINE_SCOPED_COM_H_
