#include <windows.h>

#include <wininet.h>

#include <gtest/gtest.h>

#include <atomic>

#include "engine_config/hook/hook_engine.h"
#include "tests/child_process.h"
#include "tools/stand_in_engine/testing/engine_test.h"

namespace {

using InternetOpenWFunction = HINTERNET(WINAPI*)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD);

InternetOpenWFunction g_real_internet_open = nullptr;
std::atomic<int> g_notices{0};
std::atomic<int> g_headers{0};

// What a host's cookie capture does: read the response's Set-Cookie headers
// when told that cookies came in.
void CALLBACK CountReceivedCookies(HINTERNET handle, DWORD_PTR, DWORD status, void*, DWORD) {
  if (status != INTERNET_STATUS_COOKIE_RECEIVED)
    return;
  ++g_notices;
  char header[4096];
  for (DWORD index = 0;;) {
    DWORD size = sizeof(header) - 1;
    if (!::HttpQueryInfoA(handle, HTTP_QUERY_SET_COOKIE, header, &size, &index))
      return;
    ++g_headers;
  }
}

// The host watches every session opened outside WinINet, as the product does.
HINTERNET WINAPI
OpenAndWatch(LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) {
  HINTERNET session = g_real_internet_open(agent, access, proxy, bypass, flags);
  if (session)
    ::InternetSetStatusCallbackA(session, &CountReceivedCookies);
  return session;
}

// Exit code: the Set-Cookie headers the callback read, when it was told
// exactly once per page; 100 and up otherwise.
int LoadPageWithCookies(const char* path, TestHttpServer::Response response) {
  ScopedOleInitialize ole;
  StandInDll dll;
  TestHttpServer server;
  TestContainer container;
  if (!ole.ok() || !dll.loaded() || !server.Start() || !container.Host(dll.CreateBrowser()) ||
      !HookExport(::LoadLibraryW(L"wininet.dll"), "InternetOpenW", &OpenAndWatch,
                  &g_real_internet_open)) {
    return 100;
  }
  server.Serve(path, std::move(response));
  const std::wstring url = server.Url(path);
  if (FAILED(container.Navigate(url)) || !container.WaitForTrace(L"DocumentComplete top " + url))
    return 101;
  return g_notices == 1 ? g_headers.load() : 102 + g_notices;
}

TB_CHILD_ROUTINE(StandInAnnouncesThreeCookies) {
  return LoadPageWithCookies(
      "/three.html",
      {.headers = {{"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2; HttpOnly"}, {"Set-Cookie", "c=3"}},
       .body = "<title>t</title>"});
}

TB_CHILD_ROUTINE(StandInAnnouncesNoCookies) {
  const int result = LoadPageWithCookies("/none.html", {.body = "<title>t</title>"});
  return result == 102 ? 0 : 100 + result;  // not told at all
}

// Wine's WinINet never raises INTERNET_STATUS_COOKIE_RECEIVED; a host that
// learns of response cookies through it must still hear of them.
TEST(HttpFetchTest, ResponseCookiesAreAnnouncedToTheSessionsCallback) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "StandInAnnouncesThreeCookies"), 3u);
  EXPECT_EQ(RunChild(CurrentTestProgram(), "StandInAnnouncesNoCookies"), 0u);
}

}  // namespace
