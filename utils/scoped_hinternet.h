#ifndef UTILS_SCOPED_HINTERNET_H_
#define UTILS_SCOPED_HINTERNET_H_

#include <windows.h>

#include <wininet.h>

#include "utils/scoped_handle.h"

// WinINet's handles, apart from the other owners: <wininet.h> clashes with
// <winhttp.h>, which the product's HTTP client includes.
struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};

using unique_hinternet = UniqueAny<InternetHandleTraits>;

#endif  // UTILS_SCOPED_HINTERNET_H_
