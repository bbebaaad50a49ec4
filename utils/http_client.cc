#include "utils/http_client.h"

#include <winhttp.h>

#include <iterator>
#include <utility>

#include "utils/critical_section.h"
#include "utils/http_address.h"
#include "utils/log.h"
#include "utils/system_library.h"

namespace {

constexpr wchar_t kContentType[] = L"Content-Type: application/x-www-form-urlencoded";
// Exactly so: no blank after the colon.
constexpr wchar_t kUserAgent[] = L"UserAgent:Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0;)";
constexpr DWORD kHostNameChars = 256;
constexpr DWORD kReadChunk = 1023;
constexpr DWORD kStatusBufferBytes = 12;

// Why a request ended; positive values are the system's last error.
enum PostResult : int {
  kPosted = 0,
  kRejected = -1,  // a status other than 2xx, or no body
  kNoSession = -2,
  kNoConnection = -3,
  kNoRequest = -4,
  kNoContentType = -5,
  kNoUserAgent = -6,
  kHostNotInAddress = -8,
};

// Values <wininet.h> defines; it cannot be included beside <winhttp.h>.
constexpr DWORD kInternetOpenTypeDirect = 1;
constexpr DWORD kInternetFlagMakePersistent = 0x02000000;
constexpr DWORD kInternetServiceHttp = 3;
constexpr DWORD kInternetFlagSecure = 0x00800000;
constexpr DWORD kHttpQueryStatusCode = 19;
constexpr int kWinInetSchemeHttps = 4;

// A handle closed by the library that opened it.
class LibraryHandle {
 public:
  using Close = BOOL(WINAPI*)(HINTERNET);
  LibraryHandle(HINTERNET handle, Close close) : handle_(handle), close_(close) {}
  LibraryHandle(const LibraryHandle&) = delete;
  LibraryHandle& operator=(const LibraryHandle&) = delete;
  ~LibraryHandle() {
    if (handle_)
      close_(handle_);
  }
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
  Close close_;
};

}  // namespace

// Both libraries behind the same operations, so that one routine posts
// through either.
struct HttpClient::WinHttp {
  decltype(&::WinHttpOpen) open;
  decltype(&::WinHttpConnect) connect;
  decltype(&::WinHttpOpenRequest) open_request;
  decltype(&::WinHttpAddRequestHeaders) add_headers;
  decltype(&::WinHttpSendRequest) send;
  decltype(&::WinHttpReceiveResponse) receive;
  decltype(&::WinHttpQueryHeaders) query_headers;
  decltype(&::WinHttpReadData) read;
  decltype(&::WinHttpCloseHandle) close;
  decltype(&::WinHttpCrackUrl) crack_url;
  decltype(&::WinHttpSetOption) set_option;
  decltype(&::WinHttpSetTimeouts) set_timeouts;

  bool Load(HMODULE module, ExportLookup lookup) {
    return LookUpExports(module, lookup,
                         {{"WinHttpOpen", reinterpret_cast<void**>(&open)},
                          {"WinHttpConnect", reinterpret_cast<void**>(&connect)},
                          {"WinHttpOpenRequest", reinterpret_cast<void**>(&open_request)},
                          {"WinHttpAddRequestHeaders", reinterpret_cast<void**>(&add_headers)},
                          {"WinHttpSendRequest", reinterpret_cast<void**>(&send)},
                          {"WinHttpReceiveResponse", reinterpret_cast<void**>(&receive)},
                          {"WinHttpQueryHeaders", reinterpret_cast<void**>(&query_headers)},
                          {"WinHttpReadData", reinterpret_cast<void**>(&read)},
                          {"WinHttpCloseHandle", reinterpret_cast<void**>(&close)},
                          {"WinHttpCrackUrl", reinterpret_cast<void**>(&crack_url)},
                          {"WinHttpSetOption", reinterpret_cast<void**>(&set_option)},
                          {"WinHttpSetTimeouts", reinterpret_cast<void**>(&set_timeouts)}});
  }
  bool Crack(const wchar_t* address, URL_COMPONENTS* parts) const {
    return crack_url(address, 0, ICU_ESCAPE, parts);
  }
  bool IsSecure(const URL_COMPONENTS& parts) const {
    return parts.nScheme == INTERNET_SCHEME_HTTPS;
  }
  HINTERNET OpenSession(const wchar_t* agent, DWORD timeout_ms) const {
    HINTERNET session = open(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                             WINHTTP_NO_PROXY_BYPASS, 0);
    if (session && timeout_ms != 0) {
      const int limit = static_cast<int>(timeout_ms);
      set_timeouts(session, limit, limit, limit, limit);
      // Wine waits for the answer's head under a limit of its own.
      DWORD response_limit = timeout_ms;
      set_option(session, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response_limit,
                 sizeof(response_limit));
    }
    return session;
  }
  HINTERNET Connect(HINTERNET session, const wchar_t* host, INTERNET_PORT port) const {
    return connect(session, host, port, 0);
  }
  HINTERNET OpenRequest(HINTERNET connection, const wchar_t* path, bool secure) const {
    return open_request(connection, L"POST", path, L"HTTP/1.1", WINHTTP_NO_REFERER,
                        WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0);
  }
  bool AddHeader(HINTERNET request, const wchar_t* line, DWORD length) const {
    return add_headers(request, line, length, WINHTTP_ADDREQ_FLAG_ADD);
  }
  bool Send(HINTERNET request, std::string_view body) const {
    const DWORD length = static_cast<DWORD>(body.size());
    return send(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, const_cast<char*>(body.data()), length,
                length, 0) &&
           receive(request, nullptr);
  }
  bool QueryStatus(HINTERNET request, wchar_t* buffer, DWORD* bytes) const {
    return query_headers(request, WINHTTP_QUERY_STATUS_CODE, WINHTTP_HEADER_NAME_BY_INDEX, buffer,
                         bytes, WINHTTP_NO_HEADER_INDEX);
  }
  bool Read(HINTERNET request, char* buffer, DWORD size, DWORD* read_bytes) const {
    return read(request, buffer, size, read_bytes);
  }
};

// WinINet's URL_COMPONENTSW has the layout of WinHTTP's URL_COMPONENTS.
struct HttpClient::WinInet {
  HINTERNET(WINAPI* open)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD);
  HINTERNET(WINAPI* connect)
  (HINTERNET, LPCWSTR, INTERNET_PORT, LPCWSTR, LPCWSTR, DWORD, DWORD, DWORD_PTR);
  HINTERNET(WINAPI* open_request)
  (HINTERNET, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR*, DWORD, DWORD_PTR);
  BOOL(WINAPI* add_headers)(HINTERNET, LPCWSTR, DWORD, DWORD);
  BOOL(WINAPI* send)(HINTERNET, LPCWSTR, DWORD, LPVOID, DWORD);
  BOOL(WINAPI* query_info)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);
  BOOL(WINAPI* read)(HINTERNET, LPVOID, DWORD, LPDWORD);
  BOOL(WINAPI* close)(HINTERNET);
  BOOL(WINAPI* crack_url)(LPCWSTR, DWORD, DWORD, URL_COMPONENTS*);
  BOOL(WINAPI* set_option)(HINTERNET, DWORD, LPVOID, DWORD);

  bool Load(HMODULE module, ExportLookup lookup) {
    return LookUpExports(module, lookup,
                         {{"InternetOpenW", reinterpret_cast<void**>(&open)},
                          {"InternetConnectW", reinterpret_cast<void**>(&connect)},
                          {"HttpOpenRequestW", reinterpret_cast<void**>(&open_request)},
                          {"HttpAddRequestHeadersW", reinterpret_cast<void**>(&add_headers)},
                          {"HttpSendRequestW", reinterpret_cast<void**>(&send)},
                          {"HttpQueryInfoW", reinterpret_cast<void**>(&query_info)},
                          {"InternetReadFile", reinterpret_cast<void**>(&read)},
                          {"InternetCloseHandle", reinterpret_cast<void**>(&close)},
                          {"InternetCrackUrlW", reinterpret_cast<void**>(&crack_url)},
                          {"InternetSetOptionW", reinterpret_cast<void**>(&set_option)}});
  }
  bool Crack(const wchar_t* address, URL_COMPONENTS* parts) const {
    return crack_url(address, 0, ICU_ESCAPE, parts);
  }
  bool IsSecure(const URL_COMPONENTS& parts) const { return parts.nScheme == kWinInetSchemeHttps; }
  HINTERNET OpenSession(const wchar_t* agent, DWORD) const {
    return open(agent, kInternetOpenTypeDirect, nullptr, nullptr, kInternetFlagMakePersistent);
  }
  HINTERNET Connect(HINTERNET session, const wchar_t* host, INTERNET_PORT port) const {
    return connect(session, host, port, nullptr, nullptr, kInternetServiceHttp, 0, 0);
  }
  HINTERNET OpenRequest(HINTERNET connection, const wchar_t* path, bool secure) const {
    return open_request(connection, L"POST", path, L"HTTP/1.1", nullptr, nullptr,
                        secure ? kInternetFlagSecure : 0, 0);
  }
  bool AddHeader(HINTERNET request, const wchar_t* line, DWORD length) const {
    return add_headers(request, line, length, WINHTTP_ADDREQ_FLAG_ADD);
  }
  bool Send(HINTERNET request, std::string_view body) const {
    return send(request, nullptr, 0, const_cast<char*>(body.data()),
                static_cast<DWORD>(body.size()));
  }
  bool QueryStatus(HINTERNET request, wchar_t* buffer, DWORD* bytes) const {
    return query_info(request, kHttpQueryStatusCode, buffer, bytes, nullptr);
  }
  bool Read(HINTERNET request, char* buffer, DWORD size, DWORD* read_bytes) const {
    return read(request, buffer, size, read_bytes);
  }
};

namespace {

template <typename Api>
int PostThrough(const Api& api,
                const std::wstring& address,
                std::string_view body,
                DWORD timeout_ms,
                std::string* received) {
  wchar_t host[kHostNameChars] = {};
  URL_COMPONENTS parts = {sizeof(parts)};
  parts.lpszHostName = host;
  parts.dwHostNameLength = kHostNameChars;
  if (!api.Crack(address.c_str(), &parts))
    host[0] = L'\0';
  const std::optional<std::wstring> path = ObjectPathAfterHost(address, host, parts.nPort);
  if (!path)
    return kHostNotInAddress;

  const LibraryHandle session(api.OpenSession(host, timeout_ms), api.close);
  if (!session)
    return kNoSession;
  const LibraryHandle connection(api.Connect(session.get(), host, parts.nPort), api.close);
  if (!connection)
    return kNoConnection;
  const LibraryHandle request(api.OpenRequest(connection.get(), path->c_str(), api.IsSecure(parts)),
                              api.close);
  if (!request)
    return kNoRequest;
  if (!api.AddHeader(request.get(), kContentType, static_cast<DWORD>(std::size(kContentType) - 1)))
    return kNoContentType;
  if (!api.AddHeader(request.get(), kUserAgent, static_cast<DWORD>(std::size(kUserAgent) - 1)))
    return kNoUserAgent;
  if (!api.Send(request.get(), body)) {
    // A failure that leaves no error behind is still no answer.
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? static_cast<int>(error) : kRejected;
  }

  wchar_t status[kStatusBufferBytes / sizeof(wchar_t)] = {};
  DWORD status_bytes = kStatusBufferBytes;
  if (!api.QueryStatus(request.get(), status, &status_bytes) || status[0] != L'2')
    return kRejected;
  char chunk[kReadChunk + 1];
  DWORD read_bytes = 0;
  while (api.Read(request.get(), chunk, kReadChunk, &read_bytes) && read_bytes != 0)
    received->append(chunk, read_bytes);
  return received->empty() ? kRejected : kPosted;
}

}  // namespace

HttpClient::HttpClient(ExportLookup lookup) : lookup_(lookup) {}

HttpClient::~HttpClient() = default;

bool HttpClient::Load() {
  if (library_)
    return true;
  auto winhttp = std::make_unique<WinHttp>();
  unique_hmodule library = LoadSystemFolderLibrary(L"winhttp.dll");
  if (winhttp->Load(library.get(), lookup_)) {
    winhttp_ = std::move(winhttp);
    use_winhttp_ = true;
    library_ = std::move(library);
    return true;
  }
  auto wininet = std::make_unique<WinInet>();
  library = LoadSystemFolderLibrary(L"wininet.dll");
  if (!wininet->Load(library.get(), lookup_))
    return false;
  wininet_ = std::move(wininet);
  library_ = std::move(library);
  return true;
}

bool HttpClient::Post(const std::wstring& address,
                      std::string_view body,
                      std::string* response,
                      DWORD timeout_ms) const {
  if (!library_)
    return false;
  std::string received;
  const int result = use_winhttp_ ? PostThrough(*winhttp_, address, body, timeout_ms, &received)
                                  : PostThrough(*wininet_, address, body, timeout_ms, &received);
  if (result != kPosted) {
    LOG(DEBUG) << L"HttpPost failed " << result;
    return false;
  }
  response->append(received);
  return true;
}

namespace {

CriticalSection& StartLock() {
  static CriticalSection lock;
  return lock;
}

HttpClient& ProcessClient() {
  static HttpClient client;
  return client;
}

int g_start_count = 0;
bool g_ready = false;

}  // namespace

bool StartHttpClient() {
  const AutoLock hold(StartLock());
  if (g_start_count == 0)
    g_ready = ProcessClient().Load();
  if (g_ready)
    ++g_start_count;
  return g_ready;
}

bool HttpPost(const std::wstring& address,
              std::string_view body,
              std::string* response,
              DWORD timeout_ms) {
  {
    const AutoLock hold(StartLock());
    if (!g_ready)
      return false;
  }
  return ProcessClient().Post(address, body, response, timeout_ms);
}
