#ifndef TESTS_TESTING_TEST_HTTP_SERVER_H_
#define TESTS_TESTING_TEST_HTTP_SERVER_H_

#include <winsock2.h>

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
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

// An HTTP server for Windows unit tests on 127.0.0.1 and a port the system
// picks: it answers the paths it was given with their page (the query left
// out), others with 404, one connection at a time, each closed after its
// response, and keeps what it was sent.
//
//   TestHttpServer server;
//   ASSERT_TRUE(server.Start());
//   server.Serve("/page.html", {.body = "<title>t</title>"});
//   ... navigate to server.Url("/page.html") ...
class TestHttpServer {
 public:
  struct Response {
    std::string body;
    // Sent after the content type, in order; a name may come more than once.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string status = "200 OK";
    // Holds the connection this long before answering, unless the client
    // closes it first.
    DWORD delay_ms = 0;
  };
  struct Request {
    std::string head;  // request line and headers
    std::string body;
  };

  TestHttpServer() = default;
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;
  ~TestHttpServer();

  [[nodiscard]] bool Start();
  // "http://127.0.0.1:<port>" followed by `path`.
  std::wstring Url(std::string_view path) const;
  uint16_t port() const { return port_; }
  void Serve(const std::string& path, Response response);
  std::vector<Request> requests();

 private:
  void AcceptLoop(SOCKET listener);
  void Answer(SOCKET connection);

  bool wsa_started_ = false;
  unique_socket listener_;
  uint16_t port_ = 0;
  std::thread thread_;
  std::mutex lock_;
  std::map<std::string, Response> responses_;
  std::vector<Request> requests_;
};

#endif  // TESTS_TESTING_TEST_HTTP_SERVER_H_
