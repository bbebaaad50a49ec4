#include "utils/http_client.h"

#include <gtest/gtest.h>

#include <string_view>

#include "tests/testing/test_http_server.h"

namespace {

// A WinHTTP without one of the functions the client needs.
FARPROC WINAPI LookUpAllButWinHttpSetTimeouts(HMODULE module, LPCSTR name) {
  return std::string_view(name) == "WinHttpSetTimeouts" ? nullptr : ::GetProcAddress(module, name);
}

// The WinINet call that sends fails without saying why.
BOOL WINAPI SendFailingWithoutAnError(void*, const wchar_t*, DWORD, void*, DWORD) {
  ::SetLastError(ERROR_SUCCESS);
  return FALSE;
}

FARPROC WINAPI LookUpWinInetWhoseSendFails(HMODULE module, LPCSTR name) {
  if (std::string_view(name) == "HttpSendRequestW")
    return reinterpret_cast<FARPROC>(&SendFailingWithoutAnError);
  return LookUpAllButWinHttpSetTimeouts(module, name);
}

class HttpClientTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }
  TestHttpServer server_;
};

TEST_F(HttpClientTest, PostsTheFormWithItsHeadersThroughEitherLibrary) {
  server_.Serve("/api", {.body = "thanks"});
  for (const bool complete_winhttp : {true, false}) {
    HttpClient client(complete_winhttp ? &::GetProcAddress : &LookUpAllButWinHttpSetTimeouts);
    ASSERT_TRUE(client.Load());
    EXPECT_EQ(client.uses_winhttp(), complete_winhttp);
    std::string response = "kept:";
    ASSERT_TRUE(client.Post(server_.Url("/api"), "ver=1&os=8", &response));
    EXPECT_EQ(response, "kept:thanks");
    const TestHttpServer::Request request = server_.requests().back();
    EXPECT_EQ(request.head.rfind("POST /api HTTP/1.1\r\n", 0), 0u) << request.head;
    EXPECT_NE(request.head.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
              std::string::npos);
    // Both libraries put a blank after the colon when they send it.
    EXPECT_NE(
        request.head.find("\r\nUserAgent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0;)\r\n"),
        std::string::npos)
        << request.head;
    EXPECT_EQ(request.body, "ver=1&os=8");
  }
}

TEST_F(HttpClientTest, OnlyA2xxStatusWithABodySucceeds) {
  server_.Serve("/empty", {.status = "204 No Content"});
  server_.Serve("/refused", {.body = "no", .status = "403 Forbidden"});
  HttpClient client;
  ASSERT_TRUE(client.Load());
  for (const char* path : {"/empty", "/refused"}) {
    std::string response;
    EXPECT_FALSE(client.Post(server_.Url(path), "a=1", &response)) << path;
    EXPECT_EQ(response, "");
  }
  std::string response;
  EXPECT_FALSE(client.Post(L"not an address", "a=1", &response));
}

TEST_F(HttpClientTest, FailingWinInetCallsEndTheRequestUnanswered) {
  server_.Serve("/api", {.body = "thanks"});
  HttpClient refused(&LookUpAllButWinHttpSetTimeouts);
  HttpClient silent(&LookUpWinInetWhoseSendFails);
  for (HttpClient* client : {&refused, &silent})
    ASSERT_TRUE(client->Load() && !client->uses_winhttp());
  std::string response;
  EXPECT_FALSE(refused.Post(L"http://127.0.0.1:1/api", "a=1", &response)) << "nobody listens";
  EXPECT_FALSE(silent.Post(server_.Url("/api"), "a=1", &response));
  EXPECT_EQ(response, "");
}

TEST_F(HttpClientTest, GivesUpOnAServerThatAnswersAfterTheTimeLimit) {
  server_.Serve("/slow", {.body = "late", .delay_ms = 15000});
  HttpClient client;
  ASSERT_TRUE(client.Load());
  ASSERT_TRUE(client.uses_winhttp());
  std::string response;
  EXPECT_FALSE(client.Post(server_.Url("/slow"), "a=1", &response, /*timeout_ms=*/1000));
}

}  // namespace
