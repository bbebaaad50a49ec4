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
// WriteFile without OVERLAPPED.
using OutsideWriteFileFunction = BOOL WINAPI(HANDLE, const void*, DWORD, DWORD*);
// A session without proxy settings.
using OutsideInternetOpenWFunction = HINTERNET WINAPI(const wchar_t* agent, DWORD access);

// The library loaded from a path, with its exports.
class OutsideCaller {
 public:
  static constexpr wchar_t kFileName[] = L"tb_outside_caller.dll";

  // Nothing when the library or one of its exports is missing.
  static std::optional<OutsideCaller> Load(const std::wstring& path = kFileName);

  OutsideWriteFileFunction* write_file = nullptr;
  decltype(&::RegOpenKeyExW) reg_open_key_ex_w = nullptr;
  decltype(&::RegQueryValueExW) reg_query_value_ex_w = nullptr;
  decltype(&::CreateWindowExW) create_window_ex_w = nullptr;
  decltype(&::InternetSetCookieExW) internet_set_cookie_ex_w = nullptr;
  decltype(&::InternetSetCookieW) internet_set_cookie_w = nullptr;
  decltype(&::InternetSetCookieExA) internet_set_cookie_ex_a = nullptr;
  decltype(&::InternetSetCookieA) internet_set_cookie_a = nullptr;
  OutsideInternetOpenWFunction* internet_open_w = nullptr;
  decltype(&::InternetSetStatusCallbackA) internet_set_status_callback_a = nullptr;

 private:
  unique_hmodule module_;
};

// Copies the library to `folder` under the name `file_name` (for example
// that of an engine module whose calls are told apart by their module).
[[nodiscard]] bool CopyOutsideCaller(const std::wstring& folder, const std::wstring& file_name);

#endif  // TESTS_OUTSIDE_CALLER_OUTSIDE_CALLER_H_
