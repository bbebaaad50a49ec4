#include "tools/stand_in_engine/page_loader.h"

#include <shlwapi.h>
#include <urlmon.h>

#include <algorithm>

#include "utils/scoped_handle.h"
#include "utils/scoped_hinternet.h"
#include "utils/string_util.h"

namespace {

// Longer bodies are cut, so a page cannot exhaust the test process.
constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;
// Non-zero, as the context of the engine's own requests is.
constexpr DWORD_PTR kRequestContext = 1;
constexpr DWORD kMaxAnnouncedCookies = 100;

struct LoadTask {
  std::shared_ptr<LoadMailbox> mailbox;
  uint64_t ticket;
  std::vector<std::wstring> urls;
};

bool HasScheme(const std::wstring& url, std::wstring_view scheme) {
  return url.size() > scheme.size() && url[scheme.size()] == L':' &&
         EqualsAsciiIgnoreCase(std::wstring_view(url).substr(0, scheme.size()), scheme);
}

// Appends what `read` gives until it gives nothing or the body is full.
template <typename Read>
bool ReadBody(Read read, std::string* body) {
  char buffer[16 * 1024];
  DWORD got = 0;
  while (body->size() < kMaxBodyBytes) {
    if (!read(buffer, static_cast<DWORD>(sizeof(buffer)), &got))
      return false;
    if (got == 0)
      break;
    body->append(buffer, std::min<size_t>(got, kMaxBodyBytes - body->size()));
  }
  return true;
}

void ReadFileUrl(LoadedPage* page) {
  wchar_t path[MAX_PATH];
  DWORD length = MAX_PATH;
  unique_handle file(SUCCEEDED(::PathCreateFromUrlW(page->url.c_str(), path, &length, 0))
                         ? ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                         : nullptr);
  if (!file || !ReadBody(
                   [&](char* buffer, DWORD size, DWORD* got) {
                     return ::ReadFile(file.get(), buffer, size, got, nullptr) != FALSE;
                   },
                   &page->body)) {
    page->error = INET_E_RESOURCE_NOT_FOUND;
  }
}

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

// Windows' WinINet tells a request's status callback that its response
// brought cookies; Wine's never does, so the stand-in does it in its place,
// on the same thread.
void AnnounceReceivedCookies(HINTERNET request) {
  IncomingCookieState state = {};
  // Asked with no room, a header that is there answers "insufficient buffer".
  for (DWORD index = 0; index < kMaxAnnouncedCookies; ++index) {
    DWORD size = 0;
    DWORD at = index;
    if (::HttpQueryInfoA(request, HTTP_QUERY_SET_COOKIE, nullptr, &size, &at) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      break;
    }
    ++state.cAccepted;
  }
  if (state.cAccepted == 0)
    return;
  // WinINet offers no query for a handle's callback; setting one returns
  // the one it replaces.
  const INTERNET_STATUS_CALLBACK callback = ::InternetSetStatusCallbackA(request, nullptr);
  ::InternetSetStatusCallbackA(request, callback);
  if (callback && callback != INTERNET_INVALID_STATUS_CALLBACK) {
    callback(request, kRequestContext, INTERNET_STATUS_COOKIE_RECEIVED, &state, sizeof(state));
  }
}

void FetchHttp(LoadedPage* page) {
  URL_COMPONENTSW parts = {sizeof(parts)};
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!::InternetCrackUrlW(page->url.c_str(), 0, 0, &parts) || parts.dwHostNameLength == 0) {
    page->error = INET_E_INVALID_URL;
    return;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring object = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  const unique_hinternet session(
      ::InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 7.0; stand-in engine)",
                      INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  DWORD timeouts[] = {10000, 30000};  // connect, receive
  ::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeouts[0], sizeof(DWORD));
  ::InternetSetOptionW(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeouts[1], sizeof(DWORD));
  const unique_hinternet connection(session ? ::InternetConnectW(session.get(), host.c_str(),
                                                                 parts.nPort, nullptr, nullptr,
                                                                 INTERNET_SERVICE_HTTP, 0, 0)
                                            : nullptr);
  const wchar_t* accept_types[] = {L"*/*", nullptr};
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
  if (parts.nScheme == INTERNET_SCHEME_HTTPS)
    flags |= INTERNET_FLAG_SECURE;
  const unique_hinternet request(
      connection
          ? ::HttpOpenRequestW(connection.get(), L"GET", object.empty() ? L"/" : object.c_str(),
                               nullptr, nullptr, accept_types, flags, kRequestContext)
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
  DWORD size = sizeof(page->http_status);
  if (!::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                        &page->http_status, &size, nullptr) ||
      !ReadBody(
          [&](char* buffer, DWORD size, DWORD* got) {
            return ::InternetReadFile(request.get(), buffer, size, got) != FALSE;
          },
          &page->body)) {
    page->error = INET_E_DOWNLOAD_FAILURE;
  }
}

LoadedPage LoadUrl(const std::wstring& url) {
  LoadedPage page{url};
  if (HasScheme(url, L"http") || HasScheme(url, L"https"))
    FetchHttp(&page);
  else if (HasScheme(url, L"file"))
    ReadFileUrl(&page);
  else if (!EqualsAsciiIgnoreCase(url, L"about:blank"))
    page.error = INET_E_UNKNOWN_PROTOCOL;
  return page;
}

DWORD WINAPI LoadThread(void* parameter) {
  const std::unique_ptr<LoadTask> task(static_cast<LoadTask*>(parameter));
  LoadBatch batch{task->ticket};
  for (const std::wstring& url : task->urls)
    batch.pages.push_back(LoadUrl(url));
  task->mailbox->Deliver(std::move(batch));
  return 0;
}

}  // namespace

void LoadMailbox::Deliver(LoadBatch batch) {
  AutoLock hold(lock_);
  if (closed_)
    return;
  batches_.push_back(std::move(batch));
  ::PostMessageW(window_, message_, 0, 0);
}

std::deque<LoadBatch> LoadMailbox::TakeAll() {
  AutoLock hold(lock_);
  return std::exchange(batches_, {});
}

void LoadMailbox::Close() {
  AutoLock hold(lock_);
  closed_ = true;
  batches_.clear();
}

std::wstring ResolveUrl(const std::wstring& base, const std::wstring& relative) {
  std::wstring combined(INTERNET_MAX_URL_LENGTH, L'\0');
  DWORD length = static_cast<DWORD>(combined.size());
  if (FAILED(::UrlCombineW(base.c_str(), relative.c_str(), combined.data(), &length, 0)))
    return relative;
  combined.resize(length);
  return combined;
}

bool StartLoad(std::shared_ptr<LoadMailbox> mailbox,
               uint64_t ticket,
               std::vector<std::wstring> urls) {
  auto task = std::make_unique<LoadTask>(LoadTask{std::move(mailbox), ticket, std::move(urls)});
  const unique_handle thread(::CreateThread(nullptr, 0, &LoadThread, task.get(), 0, nullptr));
  if (thread)
    (void)task.release();  // the thread owns it now
  return thread.is_valid();
}
