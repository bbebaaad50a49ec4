#include "tests/testing/test_http_server.h"

#include <wininet.h>

#include <gtest/gtest.h>

namespace {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using unique_hinternet = UniqueAny<InternetHandleTraits>;

struct Fetched {
  DWORD status = 0;
  std::string body;
  std::string raw_headers;
};

// A GET through WinINet, the client the engine uses.
std::optional<Fetched> Get(const std::wstring& url) {
  unique_hinternet session(
      ::InternetOpenW(L"loopback test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  unique_hinternet request(
      session ? ::InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0,
                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
              : nullptr);
  if (!request)
    return std::nullopt;
  Fetched fetched;
  DWORD size = sizeof(fetched.status);
  ::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &fetched.status,
                   &size, nullptr);
  char headers[4096];
  size = sizeof(headers);
  if (::HttpQueryInfoA(request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, headers, &size, nullptr))
    fetched.raw_headers.assign(headers, size);
  char buffer[1024];
  DWORD read = 0;
  while (::InternetReadFile(request.get(), buffer, sizeof(buffer), &read) && read > 0)
    fetched.body.append(buffer, read);
  return fetched;
}

// Sends `data` in pieces of `piece` bytes over a raw connection and returns
// whatever comes back until the server closes.
std::string Exchange(uint16_t port, const std::string& data, size_t piece) {
  unique_socket client(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (!client ||
      ::connect(client.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    return "no connection";
  }
  BOOL no_delay = TRUE;
  ::setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay),
               sizeof(no_delay));
  for (size_t pos = 0; pos < data.size(); pos += piece) {
    const std::string chunk = data.substr(pos, piece);
    if (::send(client.get(), chunk.data(), static_cast<int>(chunk.size()), 0) <= 0)
      break;
  }
  std::string answer;
  char buffer[1024];
  for (int received; (received = ::recv(client.get(), buffer, sizeof(buffer), 0)) > 0;)
    answer.append(buffer, received);
  return answer;
}

class TestHttpServerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    ASSERT_NE(server_.port(), 0);
  }

  TestHttpServer server_;
};

TEST_F(TestHttpServerTest, ServesTheCannedResponseAndRecordsTheRequest) {
  server_.Serve("/page.html", {.status = 200,
                               .headers = {{"Set-Cookie", "a=1; path=/"}, {"X-Extra", "yes"}},
                               .body = "<title>hello</title>"});
  ASSERT_TRUE(::InternetSetCookieW(server_.Url("/").c_str(), nullptr, L"sent=42"));
  const std::optional<Fetched> fetched = Get(server_.Url("/page.html?q=1"));
  ASSERT_TRUE(fetched);
  EXPECT_EQ(fetched->status, 200u);
  EXPECT_EQ(fetched->body, "<title>hello</title>");
  EXPECT_NE(fetched->raw_headers.find("X-Extra: yes"), std::string::npos);

  const std::vector<TestHttpServer::Request> requests = server_.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/page.html?q=1");
  EXPECT_EQ(requests[0].path, "/page.html");
  EXPECT_EQ(requests[0].Header("cookie"), "sent=42");
  EXPECT_EQ(requests[0].Header("HOST"), "127.0.0.1:" + std::to_string(server_.port()));
  EXPECT_FALSE(requests[0].Header("X-Missing"));
  // The response's cookie went into the client's store.
  wchar_t cookies[256];
  DWORD size = 256;
  ASSERT_TRUE(::InternetGetCookieW(server_.Url("/").c_str(), nullptr, cookies, &size));
  EXPECT_NE(std::wstring(cookies).find(L"a=1"), std::wstring::npos);
}

TEST_F(TestHttpServerTest, UnknownPathsGet404AndAreRecorded) {
  const std::optional<Fetched> fetched = Get(server_.Url("/missing"));
  ASSERT_TRUE(fetched);
  EXPECT_EQ(fetched->status, 404u);
  EXPECT_EQ(server_.RequestsFor("/missing").size(), 1u);
}

TEST_F(TestHttpServerTest, RequestArrivingByteByByteWithABody) {
  server_.Serve("/post", {.body = "done"});
  const std::string answer = Exchange(
      server_.port(), "POST /post HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello", 1);
  EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 OK\r\n")) << answer;
  EXPECT_TRUE(answer.ends_with("\r\n\r\ndone")) << answer;
  ASSERT_TRUE(server_.WaitForRequests(1));
  EXPECT_EQ(server_.requests()[0].method, "POST");
  EXPECT_EQ(server_.requests()[0].body, "hello");
}

TEST_F(TestHttpServerTest, MalformedAndOversizedRequestsAreRefusedAndServingGoesOn) {
  EXPECT_TRUE(Exchange(server_.port(), "NONSENSE\r\n\r\n", 64).starts_with("HTTP/1.1 400"));
  EXPECT_TRUE(Exchange(server_.port(), "GET / HTTP/1.1\r\nno colon here\r\n\r\n", 64)
                  .starts_with("HTTP/1.1 400"));
  EXPECT_TRUE(Exchange(server_.port(), "GET / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 64)
                  .starts_with("HTTP/1.1 400"));
  EXPECT_TRUE(Exchange(server_.port(), "GET / HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n", 64)
                  .starts_with("HTTP/1.1 413"));
  const std::string huge =
      "GET / HTTP/1.1\r\nX-Big: " + std::string(TestHttpServer::kMaxHeaderBytes, 'a') + "\r\n\r\n";
  EXPECT_TRUE(Exchange(server_.port(), huge, 8192).starts_with("HTTP/1.1 431"));
  EXPECT_TRUE(server_.requests().empty());

  server_.Serve("/after", {.body = "fine"});
  const std::optional<Fetched> fetched = Get(server_.Url("/after"));
  ASSERT_TRUE(fetched);
  EXPECT_EQ(fetched->body, "fine");
}

TEST_F(TestHttpServerTest, HeldResponseWaitsForReleaseWithoutBlockingOthers) {
  server_.Serve("/held", {.body = "late", .hold = true});
  server_.Serve("/quick", {.body = "now"});
  std::optional<Fetched> held;
  std::thread client([&] { held = Get(server_.Url("/held")); });
  ASSERT_TRUE(server_.WaitForRequests(1));
  const std::optional<Fetched> quick = Get(server_.Url("/quick"));
  ASSERT_TRUE(quick);
  EXPECT_EQ(quick->body, "now");
  EXPECT_FALSE(held);  // still waiting
  server_.ReleaseHeld();
  client.join();
  ASSERT_TRUE(held);
  EXPECT_EQ(held->body, "late");
}

TEST_F(TestHttpServerTest, ReleasingOnePathLeavesTheOthersHeld) {
  server_.Serve("/first", {.body = "1", .hold = true});
  server_.Serve("/second", {.body = "2", .hold = true});
  std::optional<Fetched> first, second;
  std::thread first_client([&] { first = Get(server_.Url("/first")); });
  std::thread second_client([&] { second = Get(server_.Url("/second")); });
  ASSERT_TRUE(server_.WaitForRequests(2));
  server_.ReleaseHeld("/second");
  second_client.join();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->body, "2");
  EXPECT_FALSE(first);
  server_.ReleaseHeld("/first");
  first_client.join();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->body, "1");
}

TEST_F(TestHttpServerTest, StopEndsHeldResponsesAndIdleConnections) {
  server_.Serve("/held", {.body = "late", .hold = true});
  std::thread client([&] { Get(server_.Url("/held")); });
  std::thread idle([&] { Exchange(server_.port(), "GET / HTTP/1.1\r\n", 64); });
  ASSERT_TRUE(server_.WaitForRequests(1));
  server_.Stop();  // returns: nothing is left waiting
  client.join();
  idle.join();
  EXPECT_FALSE(Get(server_.Url("/held")));
}

}  // namespace
