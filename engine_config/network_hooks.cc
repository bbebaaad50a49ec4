#include "engine_config/network_hooks.h"

#include <windows.h>

#include <psapi.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "engine_config/hook/hook_engine.h"
#include "engine_config/set_cookie_headers.h"
#include "utils/log_failure.h"
#include "utils/string_util.h"

namespace {

// The bytes "YMUD" in memory order.
constexpr DWORD_PTR kMarkerContext = 0x44554D59;
constexpr DWORD kConnectionLimit = 6;

struct ImageRange {
  uintptr_t start = 0;
  uintptr_t end = 0;

  bool Contains(const void* address) const {
    const auto value = reinterpret_cast<uintptr_t>(address);
    return value >= start && value < end;
  }
};

// Fixed at installation.
CookieSink g_sink = nullptr;
ImageRange g_own_image;
ImageRange g_wininet_image;

// The callback that urlmon, the engine's networking layer, installed first;
// written once, before it is first called.
std::atomic<INTERNET_STATUS_CALLBACK> g_engine_callback{nullptr};

decltype(&::InternetSetCookieA) g_set_cookie_a = nullptr;
decltype(&::InternetSetCookieW) g_set_cookie_w = nullptr;
decltype(&::InternetSetCookieExA) g_set_cookie_ex_a = nullptr;
decltype(&::InternetSetCookieExW) g_set_cookie_ex_w = nullptr;
decltype(&::InternetSetStatusCallbackA) g_set_status_callback_a = nullptr;
decltype(&::HttpOpenRequestA) g_open_request_a = nullptr;
decltype(&::HttpOpenRequestW) g_open_request_w = nullptr;
decltype(&::InternetSetOptionA) g_set_option_a = nullptr;
decltype(&::InternetSetOptionW) g_set_option_w = nullptr;
decltype(&::InternetOpenA) g_open_a = nullptr;
decltype(&::InternetOpenW) g_open_w = nullptr;

ImageRange RangeOf(HMODULE module) {
  MODULEINFO image = {};
  if (!module || !::GetModuleInformation(::GetCurrentProcess(), module, &image, sizeof(image))) {
    return {};
  }
  const auto start = reinterpret_cast<uintptr_t>(image.lpBaseOfDll);
  return {start, start + image.SizeOfImage};
}

std::wstring FromCodePage(std::string_view text) {
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length > 0 ? length : 0, L'\0');
  if (length > 0) {
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
  }
  return wide;
}

// Whose cookie calls are reported: not this program's own (those cookies
// came from the extension), nor WinINet's calls to itself (its ANSI
// functions forward to the wide ones, and the outer call reports).
bool ReportsCookiesOf(const void* caller) {
  return !g_own_image.Contains(caller) && !g_wininet_image.Contains(caller);
}

// Only a cookie the store took: a refused one would give the browser a
// cookie the engine does not have.
bool IsStored(DWORD state) {
  return state == COOKIE_STATE_ACCEPT || state == COOKIE_STATE_LEASH ||
         state == COOKIE_STATE_DOWNGRADE;
}

// `report` builds texts and sends them; the caller of the hooked function
// sees neither its allocation failures nor its last error.
template <typename Report>
void Guarded(Report report) {
  const DWORD error = ::GetLastError();
  try {
    report();
  } catch (const std::bad_alloc&) {
  }
  ::SetLastError(error);
}

DWORD SetCookieWide(const void* caller,
                    const wchar_t* url,
                    const wchar_t* name,
                    const wchar_t* data,
                    DWORD flags,
                    DWORD_PTR reserved) {
  const DWORD state = g_set_cookie_ex_w(url, name, data, flags, reserved);
  if (url && data && IsStored(state) && ReportsCookiesOf(caller))
    Guarded([&] { g_sink(url, data, (flags & INTERNET_COOKIE_HTTPONLY) != 0); });
  return state;
}

DWORD SetCookieAnsi(const void* caller,
                    const char* url,
                    const char* name,
                    const char* data,
                    DWORD flags,
                    DWORD_PTR reserved) {
  const DWORD state = g_set_cookie_ex_a(url, name, data, flags, reserved);
  if (url && data && IsStored(state) && ReportsCookiesOf(caller)) {
    Guarded([&] {
      g_sink(Utf8ToWide(url), Utf8ToWide(data), (flags & INTERNET_COOKIE_HTTPONLY) != 0);
    });
  }
  return state;
}

DWORD WINAPI SetCookieExW(const wchar_t* url,
                          const wchar_t* name,
                          const wchar_t* data,
                          DWORD flags,
                          DWORD_PTR reserved) {
  return SetCookieWide(__builtin_return_address(0), url, name, data, flags, reserved);
}

BOOL WINAPI SetCookieW(const wchar_t* url, const wchar_t* name, const wchar_t* data) {
  return IsStored(SetCookieWide(__builtin_return_address(0), url, name, data, 0, 0));
}

DWORD WINAPI
SetCookieExA(const char* url, const char* name, const char* data, DWORD flags, DWORD_PTR reserved) {
  return SetCookieAnsi(__builtin_return_address(0), url, name, data, flags, reserved);
}

BOOL WINAPI SetCookieA(const char* url, const char* name, const char* data) {
  return IsStored(SetCookieAnsi(__builtin_return_address(0), url, name, data, 0, 0));
}

// The URL of a request handle, in the system code page; empty for other
// handles and on failure.
std::string RequestUrl(HINTERNET handle) {
  DWORD type = 0;
  DWORD size = sizeof(type);
  if (!::InternetQueryOptionA(handle, INTERNET_OPTION_HANDLE_TYPE, &type, &size) ||
      type != INTERNET_HANDLE_TYPE_HTTP_REQUEST) {
    return std::string();
  }
  size = 0;
  ::InternetQueryOptionA(handle, INTERNET_OPTION_URL, nullptr, &size);
  if (size == 0)
    return std::string();
  // One more than asked for, so that the text ends inside the buffer.
  std::string url(size + 1, '\0');
  if (!::InternetQueryOptionA(handle, INTERNET_OPTION_URL, url.data(), &size))
    return std::string();
  url.resize(std::strlen(url.c_str()));
  return url;
}

void CaptureResponseCookies(HINTERNET request) {
  Guarded([request] {
    const std::string url = RequestUrl(request);
    if (url.empty())
      return;
    const std::wstring wide_url = FromCodePage(url);
    ReadSetCookieHeaders(
        [request](uint32_t* index, char* buffer, uint32_t* length) {
          DWORD size = *length;
          DWORD next = *index;
          const bool read =
              ::HttpQueryInfoA(request, HTTP_QUERY_SET_COOKIE, buffer, &size, &next) != FALSE;
          *length = size;
          *index = next;
          return read;
        },
        [&wide_url](std::string_view header) { g_sink(wide_url, FromCodePage(header), false); });
  });
}

void CALLBACK CookieStatusCallback(HINTERNET handle,
                                   DWORD_PTR context,
                                   DWORD status,
                                   void* information,
                                   DWORD length) {
  if (status == INTERNET_STATUS_COOKIE_RECEIVED)
    CaptureResponseCookies(handle);
}

void CALLBACK EngineStatusCallback(HINTERNET handle,
                                   DWORD_PTR context,
                                   DWORD status,
                                   void* information,
                                   DWORD length) {
  if (status == INTERNET_STATUS_COOKIE_RECEIVED)
    CaptureResponseCookies(handle);
  // The engine opened these requests without a context: it expects no calls
  // for them.
  if (context == kMarkerContext)
    return;
  if (const INTERNET_STATUS_CALLBACK engine = g_engine_callback.load())
    engine(handle, context, status, information, length);
}

INTERNET_STATUS_CALLBACK WINAPI SetStatusCallbackA(HINTERNET handle,
                                                   INTERNET_STATUS_CALLBACK callback) {
  if (callback && IsAddressInModule(L"urlmon.dll", __builtin_return_address(0))) {
    INTERNET_STATUS_CALLBACK none = nullptr;
    g_engine_callback.compare_exchange_strong(none, callback);
    if (callback == g_engine_callback.load())
      callback = &EngineStatusCallback;
  }
  return g_set_status_callback_a(handle, callback);
}

// Sessions that neither WinINet nor the engine's networking layer opened get
// the callback that reads their responses' cookies.
HINTERNET WatchSession(HINTERNET session, const void* caller) {
  if (session && !IsAddressInModule(L"wininet.dll", caller) &&
      !IsAddressInModule(L"urlmon.dll", caller)) {
    g_set_status_callback_a(session, &CookieStatusCallback);
  }
  return session;
}

HINTERNET WINAPI
OpenA(const char* agent, DWORD access, const char* proxy, const char* bypass, DWORD flags) {
  return WatchSession(g_open_a(agent, access, proxy, bypass, flags), __builtin_return_address(0));
}

HINTERNET WINAPI OpenW(const wchar_t* agent,
                       DWORD access,
                       const wchar_t* proxy,
                       const wchar_t* bypass,
                       DWORD flags) {
  return WatchSession(g_open_w(agent, access, proxy, bypass, flags), __builtin_return_address(0));
}

DWORD_PTR MarkedContext(DWORD_PTR context) {
  return context ? context : kMarkerContext;
}

HINTERNET WINAPI OpenRequestA(HINTERNET connection,
                              const char* verb,
                              const char* object,
                              const char* version,
                              const char* referrer,
                              const char** accept_types,
                              DWORD flags,
                              DWORD_PTR context) {
  return g_open_request_a(connection, verb, object, version, referrer, accept_types, flags,
                          MarkedContext(context));
}

HINTERNET WINAPI OpenRequestW(HINTERNET connection,
                              const wchar_t* verb,
                              const wchar_t* object,
                              const wchar_t* version,
                              const wchar_t* referrer,
                              const wchar_t** accept_types,
                              DWORD flags,
                              DWORD_PTR context) {
  return g_open_request_w(connection, verb, object, version, referrer, accept_types, flags,
                          MarkedContext(context));
}

void ForceConnectionLimit(DWORD option, void* buffer, DWORD* length) {
  if ((option == INTERNET_OPTION_MAX_CONNS_PER_SERVER ||
       option == INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER) &&
      buffer && *length >= sizeof(DWORD)) {
    std::memcpy(buffer, &kConnectionLimit, sizeof(kConnectionLimit));
    *length = sizeof(DWORD);
  }
}

BOOL WINAPI SetOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD length) {
  ForceConnectionLimit(option, buffer, &length);
  return g_set_option_a(handle, option, buffer, length);
}

BOOL WINAPI SetOptionW(HINTERNET handle, DWORD option, void* buffer, DWORD length) {
  ForceConnectionLimit(option, buffer, &length);
  return g_set_option_w(handle, option, buffer, length);
}

}  // namespace

void InstallNetworkHooks(CookieSink sink) {
  // Hooking twice would hook the detours themselves.
  static bool installed = false;
  if (installed || !sink)
    return;
  installed = true;

  g_sink = sink;
  // Never freed: the hooked module must stay.
  const HMODULE wininet = LoadSystemLibrary(L"wininet.dll");
  if (!wininet)
    return;
  g_own_image = RangeOf(::GetModuleHandleW(nullptr));
  g_wininet_image = RangeOf(wininet);

  // The plain detours call through these: they must lead to the real
  // functions before the first detour can run.
  g_set_cookie_ex_a = reinterpret_cast<decltype(g_set_cookie_ex_a)>(
      reinterpret_cast<void*>(::GetProcAddress(wininet, "InternetSetCookieExA")));
  g_set_cookie_ex_w = reinterpret_cast<decltype(g_set_cookie_ex_w)>(
      reinterpret_cast<void*>(::GetProcAddress(wininet, "InternetSetCookieExW")));
  if (!g_set_cookie_ex_a || !g_set_cookie_ex_w)
    return;
  // The plain functions' real versions are never called.
  LOG_IF_FALSE(HookExport(wininet, "InternetSetCookieA", &SetCookieA, &g_set_cookie_a));
  LOG_IF_FALSE(HookExport(wininet, "InternetSetCookieW", &SetCookieW, &g_set_cookie_w));
  LOG_IF_FALSE(HookExport(wininet, "InternetSetCookieExA", &SetCookieExA, &g_set_cookie_ex_a));
  LOG_IF_FALSE(HookExport(wininet, "InternetSetCookieExW", &SetCookieExW, &g_set_cookie_ex_w));
  LOG_IF_FALSE(HookExport(wininet, "InternetSetStatusCallbackA", &SetStatusCallbackA,
                          &g_set_status_callback_a));
  LOG_IF_FALSE(HookExport(wininet, "HttpOpenRequestA", &OpenRequestA, &g_open_request_a));
  LOG_IF_FALSE(HookExport(wininet, "HttpOpenRequestW", &OpenRequestW, &g_open_request_w));
  LOG_IF_FALSE(HookExport(wininet, "InternetSetOptionA", &SetOptionA, &g_set_option_a));
  LOG_IF_FALSE(HookExport(wininet, "InternetSetOptionW", &SetOptionW, &g_set_option_w));
  LOG_IF_FALSE(HookExport(wininet, "InternetOpenA", &OpenA, &g_open_a));
  LOG_IF_FALSE(HookExport(wininet, "InternetOpenW", &OpenW, &g_open_w));
}
