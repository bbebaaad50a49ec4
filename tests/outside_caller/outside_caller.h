#ifndef TESTS_OUTSIDE_CALLER_OUTSIDE_CALLER_H_
#define TESTS_OUTSIDE_CALLER_OUTSIDE_CALLER_H_

#include <windows.h>

#include <wininet.h>

#include <optional>
#include <string>

#include "utils/scoped_handle.h"

// tb_outside_caller.dll: each export makes one platform call, so that the
// call comes from a module other than the test program, as the engine's
// calls do. Built without sibling-call optimisation, so the platform
// function returns into the library rather than straight to its caller.
extern "C" {
using OutsideWriteFileFunction = BOOL(HANDLE file, const void* data, DWORD size, DWORD* written);
using OutsideRegOpenKeyExWFunction =
    LSTATUS(HKEY key, const wchar_t* subkey, DWORD options, REGSAM access, HKEY* result);
using OutsideRegQueryValueExWFunction =
    LSTATUS(HKEY key, const wchar_t* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
using OutsideRegQueryValueExAFunction =
    LSTATUS(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
using OutsideCreateWindowExWFunction = HWND(DWORD ex_style,
                                            const wchar_t* class_name,
                                            const wchar_t* window_name,
                                            DWORD style,
                                            int x,
                                            int y,
                                            int width,
                                            int height,
                                            HWND parent,
                                            HMENU menu,
                                            HINSTANCE instance,
                                            void* param);
using OutsideInternetSetCookieExWFunction =
    DWORD(const wchar_t* url, const wchar_t* name, const wchar_t* data, DWORD flags, DWORD_PTR);
using OutsideInternetSetCookieWFunction = BOOL(const wchar_t* url,
                                               const wchar_t* name,
                                               const wchar_t* data);
using OutsideInternetSetCookieExAFunction =
    DWORD(const char* url, const char* name, const char* data, DWORD flags, DWORD_PTR);
using OutsideInternetSetCookieAFunction = BOOL(const char* url, const char* name, const char* data);
using OutsideInternetOpenWFunction = HINTERNET(const wchar_t* agent, DWORD access);
using OutsideInternetSetStatusCallbackAFunction =
    INTERNET_STATUS_CALLBACK(HINTERNET handle, INTERNET_STATUS_CALLBACK callback);
}

// The library loaded from a path, with its exports.
class OutsideCaller {
 public:
  static constexpr wchar_t kFileName[] = L"tb_outside_caller.dll";

  // Nothing when the library or one of its exports is missing.
  static std::optional<OutsideCaller> Load(const std::wstring& path = kFileName);

  OutsideWriteFileFunction* write_file = nullptr;
  OutsideRegOpenKeyExWFunction* reg_open_key_ex_w = nullptr;
  OutsideRegQueryValueExWFunction* reg_query_value_ex_w = nullptr;
  OutsideRegQueryValueExAFunction* reg_query_value_ex_a = nullptr;
  OutsideCreateWindowExWFunction* create_window_ex_w = nullptr;
  OutsideInternetSetCookieExWFunction* internet_set_cookie_ex_w = nullptr;
  OutsideInternetSetCookieWFunction* internet_set_cookie_w = nullptr;
  OutsideInternetSetCookieExAFunction* internet_set_cookie_ex_a = nullptr;
  OutsideInternetSetCookieAFunction* internet_set_cookie_a = nullptr;
  // A session without proxy settings.
  OutsideInternetOpenWFunction* internet_open_w = nullptr;
  OutsideInternetSetStatusCallbackAFunction* internet_set_status_callback_a = nullptr;

  HMODULE module() const { return module_.get(); }

 private:
  unique_hmodule module_;
};

// Copies the library to `folder` under the name `file_name` (for example
// that of an engine module whose calls are told apart by their module).
[[nodiscard]] bool CopyOutsideCaller(const std::wstring& folder, const std::wstring& file_name);

#endif  // TESTS_OUTSIDE_CALLER_OUTSIDE_CALLER_H_
