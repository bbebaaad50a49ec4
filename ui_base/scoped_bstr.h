#ifndef UI_BASE_SCOPED_BSTR_H_
#define UI_BASE_SCOPED_BSTR_H_

#include <windows.h>

#include <oleauto.h>

#include <utility>

// Owns one BSTR.
class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(const wchar_t* text) : bstr_(text ? ::SysAllocString(text) : nullptr) {}
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  ~ScopedBstr() { Reset(); }

  BSTR get() const { return bstr_; }
  // A null BSTR is the empty string.
  UINT Length() const { return ::SysStringLen(bstr_); }

  // For out parameters that hand over a BSTR.
  BSTR* Receive() {
    Reset();
    return &bstr_;
  }
  void Reset() { ::SysFreeString(std::exchange(bstr_, nullptr)); }

 private:
  BSTR bstr_ = nullptr;
};

#endif  // UI_BASE_SCOPED_BSTR_H_
