#ifndef UTILS_OLE_OWNERS_H_
#define UTILS_OLE_OWNERS_H_

#include <windows.h>

#include <oleauto.h>

#include <utility>

#include "utils/scoped_handle.h"

// Owners of what OLE calls hand over: BSTRs, VARIANTs and co-task memory,
// with the verbs of the handle owners (get, reset, release, put).

struct BstrTraits {
  using Handle = BSTR;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::SysFreeString(h); }
};

// A null BSTR is the empty string, so length() needs no check.
class unique_bstr : public UniqueAny<BstrTraits> {
 public:
  using UniqueAny::UniqueAny;
  UINT length() const { return ::SysStringLen(get()); }
};

// A copy of `text`; null stays null.
inline unique_bstr MakeBstr(const wchar_t* text) {
  return unique_bstr(text ? ::SysAllocString(text) : nullptr);
}

template <typename T>
struct CoTaskMemTraits {
  using Handle = T*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::CoTaskMemFree(h); }
};

template <typename T>
using unique_cotaskmem = UniqueAny<CoTaskMemTraits<T>>;

class unique_variant {
 public:
  unique_variant() { ::VariantInit(&value_); }
  unique_variant(unique_variant&& other) noexcept : value_(other.release()) {}
  unique_variant& operator=(unique_variant&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.release();
    }
    return *this;
  }
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;
  ~unique_variant() { reset(); }

  const VARIANT* get() const { return &value_; }
  VARIANT* get() { return &value_; }
  // For out parameters that hand over a VARIANT.
  VARIANT* put() {
    reset();
    return &value_;
  }
  void reset() { ::VariantClear(&value_); }
  [[nodiscard]] VARIANT release() {
    VARIANT value = value_;
    ::VariantInit(&value_);
    return value;
  }

 private:
  VARIANT value_;
};

#endif  // UTILS_OLE_OWNERS_H_
