#include "tests/testing/test_http_server.h"

namespace {

// A client that stops sending mid-request is dropped after this long.
constexpr DWORD kReceiveTimeoutMs = 5000;
constexpr size_t kMaxHeaderBytes = 64 * 1024;

}  // namespace

TestHttpServer::~TestHttpServer() {
  listener_.reset();  // ends the blocked accept
  if (thread_.joinable())
    thread_.join();
  if (wsa_started_)
    ::WSACleanup();
}

bool TestHttpServer::Start() {
  WSADATA data;
  wsa_started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  listener_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  if (!wsa_started_ || !listener_ ||
      ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener_.get(), SOMAXCONN) != 0 ||
      ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return false;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread(&TestHttpServer::AcceptLoop, this, listener_.get());
  return true;
}

std::wstring TestHttpServer::Url(std::string_view path) const {
  return L"http://127.0.0.1:" + std::to_wstring(port_) + std::wstring(path.begin(), path.end());
}

void TestHttpServer::Serve(const std::string& path, Response response) {
  std::lock_guard<std::mutex> hold(lock_);
  responses_[path] = std::move(response);
}

std::vector<TestHttpServer::Request> TestHttpServer::requests() {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

void TestHttpServer::AcceptLoop(SOCKET listener) {
  for (;;) {
    const unique_socket connection(::accept(listener, nullptr, nullptr));
    if (!connection)
      return;  // the listener was closed
    Answer(connection.get());
  }
}

void TestHttpServer::Answer(SOCKET connection) {
  ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO,
               reinterpret_cast<const char*>(&kReceiveTimeoutMs), sizeof(kReceiveTimeoutMs));
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHeaderBytes) {
    const int received = ::recv(connection, buffer, sizeof(buffer), 0);
    if (received <= 0)
      return;
    head.append(buffer, received);
  }
  const size_t head_end = head.find("\r\n\r\n") + 4;
  Request request{head.substr(0, head_end), head.substr(head_end)};
  const size_t length_at = request.head.find("Content-Length: ");
  const size_t length =
      length_at == std::string::npos ? 0 : std::stoul(request.head.substr(length_at + 16));
  while (request.body.size() < length) {
    const int received = ::recv(connection, buffer, sizeof(buffer), 0);
    if (received <= 0)
      return;
    request.body.append(buffer, received);
  }
  // "GET /path?query HTTP/1.1"
  const size_t start = head.find(' ') + 1;
  const std::string path = head.substr(start, head.find_first_of(" ?\r", start) - start);
  std::string status = "404 Not Found";
  Response response{.body = "<title>missing</title>"};
  {
    std::lock_guard<std::mutex> hold(lock_);
    requests_.push_back(std::move(request));
    if (const auto found = responses_.find(path); found != responses_.end()) {
      response = found->second;
      status = response.status;
    }
  }
  if (response.delay_ms != 0) {
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO,
                 reinterpret_cast<const char*>(&response.delay_ms), sizeof(response.delay_ms));
    if (::recv(connection, buffer, sizeof(buffer), 0) >= 0)
      return;  // the client gave up
  }
  std::string headers = "Content-Type: text/html; charset=utf-8\r\n";
  for (const auto& [name, value] : response.headers)
    headers += name + ": " + value + "\r\n";
  // A blocking socket sends it all.
  const std::string text = "HTTP/1.1 " + status + "\r\n" + headers +
                           "Content-Length: " + std::to_string(response.body.size()) +
                           "\r\nConnection: close\r\n\r\n" + response.body;
  ::send(connection, text.data(), static_cast<int>(text.size()), 0);
  ::shutdown(connection, SD_SEND);
}
