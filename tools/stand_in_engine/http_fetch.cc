#include "tools/stand_in_engine/http_fetch.h"

#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include "tools/stand_in_engine/scoped_com.h"

namespace {

constexpr wchar_t kUserAgent[] =
    L"Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.1; Trident/7.0; stand-in engine)";
// Non-zero, as the context of the engine's own requests is.
constexpr DWORD_PTR kRequestContext = 1;
constexpr DWORD kConnectTimeoutMs = 10000;
constexpr DWORD kReceiveTimeoutMs = 30000;

HRESULT ErrorFromWinInet(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return INET_E_RESOURCE_NOT_FOUND;
    case ERROR_INTERNET_CANNOT_CONNECT:
      return INET_E_CANNOT_CONNECT;
    case ERROR_INTERNET_TIMEOUT:
      return INET_E_CONNECTION_TIMEOUT;
    default:
      return INET_E_DOWNLOAD_FAILURE;
  }
}

int CountSetCookieHeaders(HINTERNET request) {
  int count = 0;
  for (DWORD index = 0;; ++count) {
    wchar_t header[1024];
    DWORD size = sizeof(header);
    const DWORD asked = index;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_SET_COOKIE, header, &size, &index) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      return count;
    }
    if (index == asked)  // too long for the buffer, yet a header all the same
      ++index;
  }
}

bool RunningOnWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Windows' WinINet tells a request's status callback when its response set
// cookies (INTERNET_STATUS_COOKIE_RECEIVED), and hosts learn of response
// cookies that way; Wine's never does, so the engine tells it here.
void AnnounceReceivedCookies(HINTERNET request) {
  const int count = CountSetCookieHeaders(request);
  if (count == 0 || !RunningOnWine())
    return;
  const INTERNET_STATUS_CALLBACK callback = ::InternetSetStatusCallbackA(request, nullptr);
  ::InternetSetStatusCallbackA(request, callback);
  if (!callback || callback == INTERNET_INVALID_STATUS_CALLBACK)
    return;
  IncomingCookieState state = {};
  state.cSession = count;
  state.cAccepted = count;
  callback(request, kRequestContext, INTERNET_STATUS_COOKIE_RECEIVED, &state, sizeof(state));
}

std::wstring RequestUrl(HINTERNET request, const std::wstring& fallback) {
  DWORD size = 0;
  ::InternetQueryOptionW(request, INTERNET_OPTION_URL, nullptr, &size);
  if (size == 0)
    return fallback;
  std::wstring url(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(url.size() * sizeof(wchar_t));
  if (!::InternetQueryOptionW(request, INTERNET_OPTION_URL, url.data(), &size))
    return fallback;
  url.resize(wcsnlen(url.c_str(), url.size()));
  return url.empty() ? fallback : url;
}

}  // namespace

void FetchHttp(const std::wstring& url, LoadedPage* page) {
  URL_COMPONENTSW parts = {sizeof(parts)};
  parts.dwHostNameLength = 1;  // non-zero: point into `url`
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
      parts.dwHostNameLength == 0) {
    page->error = INET_E_INVALID_URL;
    return;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
  object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (object.empty())
    object = L"/";

  unique_hinternet session(
      ::InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) {
    page->error = INET_E_DOWNLOAD_FAILURE;
    return;
  }
  DWORD timeout = kConnectTimeoutMs;
  ::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
  timeout = kReceiveTimeoutMs;
  ::InternetSetOptionW(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));

  unique_hinternet connection(::InternetConnectW(session.get(), host.c_str(), parts.nPort, nullptr,
                                                 nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  const wchar_t* accept_types[] = {L"*/*", nullptr};
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS)
    flags |= INTERNET_FLAG_SECURE;
  unique_hinternet request(connection ? ::HttpOpenRequestW(connection.get(), L"GET", object.c_str(),
                                                           nullptr, nullptr, accept_types, flags,
                                                           kRequestContext)
                                      : nullptr);
  if (!request) {
    page->error = INET_E_DOWNLOAD_FAILURE;
    return;
  }
  if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) {
    page->error = ErrorFromWinInet(::GetLastError());
    return;
  }
  AnnounceReceivedCookies(request.get());
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, nullptr)) {
    page->error = INET_E_DOWNLOAD_FAILURE;
    return;
  }
  page->http_status = status;
  page->final_url = RequestUrl(request.get(), url);

  char buffer[16 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!::InternetReadFile(request.get(), buffer, sizeof(buffer), &read)) {
      page->error = INET_E_DOWNLOAD_FAILURE;
      return;
    }
    if (read == 0 || page->body.size() >= kMaxBodyBytes)
      return;
    page->body.append(buffer, std::min<size_t>(read, kMaxBodyBytes - page->body.size()));
  }
}
