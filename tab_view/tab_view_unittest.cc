#include "tab_view/tab_view.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>

namespace {

// Cookies for `url` as a request would carry them.
std::wstring Cookies(const std::wstring& url, DWORD flags) {
  wchar_t cookies[2048] = L"";
  DWORD size = std::size(cookies);
  return ::InternetGetCookieExW(url.c_str(), nullptr, cookies, &size, flags, nullptr) ? cookies
                                                                                      : L"";
}

TEST(TabViewTest, SetCookiesSetsEachLineWithItsFlag) {
  NativeMessage::ClientDelegate owner;
  CTabView view(&owner, nullptr);
  // Session cookies of this process only.
  const std::wstring url =
      L"http://tb-tab-view-" + std::to_wstring(::GetCurrentProcessId()) + L".test/path/";
  // The HttpOnly cookie says so itself: the engine refuses such a cookie
  // unless the caller sets it as HttpOnly.
  view.SetCookies(
      url.c_str(),
      L"plain%3Done%0A%0A%23httponly%23secret%3Dtwo%3B%20HttpOnly%0D%0Aspaced%3Da%20b\n");
  EXPECT_EQ(Cookies(url, 0), L"plain=one; spaced=a b");
  EXPECT_NE(Cookies(url, INTERNET_COOKIE_HTTPONLY).find(L"secret=two"), std::wstring::npos);
}

}  // namespace
