#include "tools/stand_in_engine/cookie_writers.h"

#include <windows.h>

#include <wininet.h>

#include <memory>
#include <vector>

#include "tools/stand_in_engine/journal.h"
#include "utils/scoped_handle.h"

namespace {

// Writers that are not all released by then start anyway.
constexpr DWORD kStartWaitMs = 5000;

struct Writer {
  std::wstring url;
  PageAction cookie;
  std::shared_ptr<unique_handle> start;
};

bool SetOnce(const Writer& writer) {
  if (!writer.cookie.http_only)
    return ::InternetSetCookieW(writer.url.c_str(), nullptr, writer.cookie.text.c_str()) != FALSE;
  return ::InternetSetCookieExW(writer.url.c_str(), nullptr, writer.cookie.text.c_str(),
                                INTERNET_COOKIE_HTTPONLY, 0) == COOKIE_STATE_ACCEPT;
}

DWORD WINAPI WriterThread(void* parameter) {
  const std::unique_ptr<Writer> writer(static_cast<Writer*>(parameter));
  ::WaitForSingleObject(writer->start->get(), kStartWaitMs);
  int set = 0;
  for (int i = 0; i < writer->cookie.count; ++i)
    set += SetOnce(*writer) ? 1 : 0;
  Journal(L"cookie",
          {{L"url", writer->url}, {L"value", writer->cookie.text}, {L"set", std::to_wstring(set)}});
  return 0;
}

}  // namespace

void StartCookieWriters(const std::wstring& url, const PageAction& cookie) {
  auto start = std::make_shared<unique_handle>(
      ::CreateEventW(nullptr, /*manual_reset=*/TRUE, FALSE, nullptr));
  for (int i = 0; i < cookie.threads; ++i) {
    auto writer = std::make_unique<Writer>(Writer{url, cookie, start});
    const unique_handle thread(::CreateThread(nullptr, 0, &WriterThread, writer.get(), 0, nullptr));
    if (thread)
      (void)writer.release();  // the thread owns it now
  }
  ::SetEvent(start->get());
}
