#ifndef TESTS_TESTING_TEST_HTTP_SERVER_H_
#define TESTS_TESTING_TEST_HTTP_SERVER_H_

#include <winsock2.h>

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "utils/scoped_handle.h"

struct SocketTraits {
  using Handle = SOCKET;
  static Handle Invalid() { return INVALID_SOCKET; }
  static bool IsValid(Handle h) { return h != INVALID_SOCKET; }
  static void Close(Handle h) { ::closesocket(h); }
};
using unique_socket = UniqueAny<SocketTraits>;

// An HTTP/1.1 server for Windows unit tests, on 127.0.0.1 and a port the
// system picks. It answers each path with a canned response (404 for paths
// it was not given), records every request with its headers, and closes the
// connection after each response. Every connection has a thread of its own,
// so a held response does not keep others waiting.
//
//   TestHttpServer server;
//   ASSERT_TRUE(server.Start());
//   server.Serve("/page.html", {.body = "<title>t</title>"});
//   ... navigate to server.Url("/page.html") ...
//   ASSERT_TRUE(server.WaitForRequests(1));
//   EXPECT_EQ(server.requests()[0].Header("Cookie"), "a=1");
class TestHttpServer {
 public:
  struct Response {
    int status = 200;
    std::string content_type = "text/html; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;  // e.g. Set-Cookie, Location
    std::string body;
    // Sent only once its path is released (or the server stops).
    bool hold = false;
  };

  struct Request {
    std::string method;
    std::string target;  // path and query as sent
    std::string path;    // without the query
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // The first header of that name (compared without regard to case).
    std::optional<std::string> Header(std::string_view name) const;
  };

  // Bounds on what a client may send, so a broken request cannot grow the
  // test without end: larger headers get 431, larger bodies 413.
  static constexpr size_t kMaxHeaderBytes = 64 * 1024;
  static constexpr size_t kMaxBodyBytes = 1024 * 1024;
  static constexpr DWORD kDefaultWaitMs = 10000;

  TestHttpServer() = default;
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;
  ~TestHttpServer();

  [[nodiscard]] bool Start();
  // Closes the listening socket and every open connection, releases held
  // responses and waits for the connection threads.
  void Stop();

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `path`.
  std::wstring Url(std::string_view path) const;

  void Serve(const std::string& path, Response response);
  // Lets held responses go: those of `path`, or all of them.
  void ReleaseHeld(const std::string& path);
  void ReleaseHeld();

  std::vector<Request> requests() const;
  std::vector<Request> RequestsFor(std::string_view path) const;
  // False when fewer than `count` requests arrived in time.
  bool WaitForRequests(size_t count, DWORD timeout_ms = kDefaultWaitMs) const;

 private:
  void AcceptLoop(SOCKET listener);
  void ServeConnection(unique_socket connection);
  // Records the request and waits while its response is held.
  Response Answer(Request request);

  bool wsa_started_ = false;
  unique_socket listener_;
  uint16_t port_ = 0;
  std::thread accept_thread_;

  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  bool released_all_ = false;
  std::set<std::string> released_paths_;
  std::map<std::string, Response> responses_;
  std::vector<Request> requests_;
  std::vector<SOCKET> open_connections_;
  std::vector<std::thread> connection_threads_;
};

#endif  // TESTS_TESTING_TEST_HTTP_SERVER_H_
