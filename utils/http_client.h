#ifndef UTILS_HTTP_CLIENT_H_
#define UTILS_HTTP_CLIENT_H_

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "utils/scoped_handle.h"

// Posts URL-encoded forms and returns the answer's body. WinHTTP and WinINet
// are loaded at run time from the system folder, WinHTTP preferred; the
// program does not import either.
class HttpClient {
 public:
  // Finds a library's export; tests pass one that hides some.
  using ExportLookup = FARPROC(WINAPI*)(HMODULE module, LPCSTR name);

  static constexpr DWORD kDefaultTimeoutMs = 5000;

  explicit HttpClient(ExportLookup lookup = &::GetProcAddress);
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;
  ~HttpClient();

  // WinHTTP when all its functions are there, else WinINet when all of its
  // are; false when neither is complete. A chosen library is kept.
  [[nodiscard]] bool Load();
  bool uses_winhttp() const { return use_winhttp_; }

  // POSTs `body` to `address`. True when a 2xx status came with a body of
  // at least one byte, which is then appended to `*response`. With WinHTTP
  // each phase (resolve, connect, send, receive) gets `timeout_ms` unless it
  // is 0; WinINet gets no limit. The failure stays in the debug log.
  [[nodiscard]] bool Post(const std::wstring& address,
                          std::string_view body,
                          std::string* response,
                          DWORD timeout_ms = kDefaultTimeoutMs) const;

 private:
  struct WinHttp;
  struct WinInet;

  ExportLookup lookup_;
  unique_hmodule library_;
  std::unique_ptr<WinHttp> winhttp_;
  std::unique_ptr<WinInet> wininet_;
  bool use_winhttp_ = false;
};

// The process's client: the first successful start loads it; a failed one
// lets a later start try again. Returns whether the client is ready.
bool StartHttpClient();
// Fails at once while the process's client is not started.
[[nodiscard]] bool HttpPost(const std::wstring& address,
                            std::string_view body,
                            std::string* response,
                            DWORD timeout_ms = HttpClient::kDefaultTimeoutMs);

#endif  // UTILS_HTTP_CLIENT_H_
