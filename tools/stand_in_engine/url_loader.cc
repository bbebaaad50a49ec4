#include "tools/stand_in_engine/url_loader.h"

#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

#include "tools/stand_in_engine/http_fetch.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

bool HasScheme(const std::wstring& url, std::wstring_view scheme) {
  return url.size() > scheme.size() && url[scheme.size()] == L':' &&
         EqualsAsciiIgnoreCase(std::wstring_view(url).substr(0, scheme.size()), scheme);
}

void ReadFileUrl(const std::wstring& url, LoadedPage* page) {
  wchar_t path[MAX_PATH];
  DWORD length = MAX_PATH;
  if (FAILED(::PathCreateFromUrlW(url.c_str(), path, &length, 0))) {
    page->error = INET_E_INVALID_URL;
    return;
  }
  unique_handle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    page->error = INET_E_RESOURCE_NOT_FOUND;
    return;
  }
  char buffer[16 * 1024];
  DWORD read = 0;
  while (page->body.size() < kMaxBodyBytes &&
         ::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    page->body.append(buffer, std::min<size_t>(read, kMaxBodyBytes - page->body.size()));
  }
}

}  // namespace

LoadedPage LoadUrl(const std::wstring& url) {
  LoadedPage page;
  page.requested_url = url;
  page.final_url = url;
  if (HasScheme(url, L"http") || HasScheme(url, L"https"))
    FetchHttp(url, &page);
  else if (HasScheme(url, L"file"))
    ReadFileUrl(url, &page);
  else if (!EqualsAsciiIgnoreCase(url, L"about:blank"))
    page.error = INET_E_UNKNOWN_PROTOCOL;
  return page;
}
