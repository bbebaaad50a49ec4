#ifndef TOOLS_STAND_IN_ENGINE_URL_LOADER_H_
#define TOOLS_STAND_IN_ENGINE_URL_LOADER_H_

#include <windows.h>

#include <string>

// One URL as the engine fetched it.
struct LoadedPage {
  std::wstring requested_url;
  std::wstring final_url;  // after redirects
  HRESULT error = S_OK;    // an INET_E_ code when nothing came back
  DWORD http_status = 0;   // 0 for anything but HTTP
  std::string body;        // at most kMaxBodyBytes
};

// Longer bodies are cut here, so a page cannot exhaust the test process.
inline constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;

// Loads synchronously: http and https through WinINet, file URLs from disk,
// about:blank as an empty page; any other scheme fails with
// INET_E_UNKNOWN_PROTOCOL.
LoadedPage LoadUrl(const std::wstring& url);

#endif  // TOOLS_STAND_IN_ENGINE_URL_LOADER_H_
