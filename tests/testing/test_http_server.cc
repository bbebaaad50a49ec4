#include "tests/testing/test_http_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <charconv>
#include <chrono>

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
// A client that stops sending mid-request is dropped after this long.
constexpr DWORD kReceiveTimeoutMs = 10000;

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 413:
      return "Payload Too Large";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

void SendAll(SOCKET socket, std::string_view data) {
  while (!data.empty()) {
    const int sent = ::send(socket, data.data(), static_cast<int>(data.size()), 0);
    if (sent <= 0)
      return;
    data.remove_prefix(sent);
  }
}

void SendResponse(SOCKET socket, const TestHttpServer::Response& response) {
  std::string text = "HTTP/1.1 " + std::to_string(response.status) + " " +
                     ReasonPhrase(response.status) + "\r\nContent-Type: " + response.content_type +
                     "\r\nContent-Length: " + std::to_string(response.body.size()) +
                     "\r\nConnection: close\r\n";
  for (const auto& [name, value] : response.headers)
    text += name + ": " + value + "\r\n";
  text += "\r\n";
  text += response.body;
  SendAll(socket, text);
}

TestHttpServer::Response Status(int status) {
  TestHttpServer::Response response;
  response.status = status;
  response.content_type = "text/plain";
  response.body = ReasonPhrase(status);
  return response;
}

// Parses the request line and headers of `head` (without the blank line).
std::optional<TestHttpServer::Request> ParseHead(std::string_view head) {
  TestHttpServer::Request request;
  const size_t line_end = std::min(head.find("\r\n"), head.size());
  const std::string_view line = head.substr(0, line_end);
  const size_t first_space = line.find(' ');
  const size_t second_space =
      first_space == std::string_view::npos ? first_space : line.find(' ', first_space + 1);
  if (first_space == 0 || second_space == std::string_view::npos ||
      second_space == first_space + 1 || !line.substr(second_space + 1).starts_with("HTTP/")) {
    return std::nullopt;
  }
  request.method = line.substr(0, first_space);
  request.target = line.substr(first_space + 1, second_space - first_space - 1);
  request.path = request.target.substr(0, request.target.find('?'));
  size_t pos = line_end;
  while (pos < head.size()) {
    pos += 2;  // the "\r\n" that ended the previous line
    const size_t end = std::min(head.find("\r\n", pos), head.size());
    const std::string_view header = head.substr(pos, end - pos);
    const size_t colon = header.find(':');
    if (colon == std::string_view::npos || colon == 0)
      return std::nullopt;
    request.headers.emplace_back(header.substr(0, colon), Trim(header.substr(colon + 1)));
    pos = end;
  }
  return request;
}

}  // namespace

std::optional<std::string> TestHttpServer::Request::Header(std::string_view name) const {
  for (const auto& [header, value] : headers) {
    if (EqualsIgnoreCase(header, name))
      return value;
  }
  return std::nullopt;
}

TestHttpServer::~TestHttpServer() {
  Stop();
  if (wsa_started_)
    ::WSACleanup();
}

bool TestHttpServer::Start() {
  WSADATA data;
  if (!wsa_started_ && ::WSAStartup(MAKEWORD(2, 2), &data) != 0)
    return false;
  wsa_started_ = true;
  listener_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!listener_)
    return false;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // the system picks
  int length = sizeof(address);
  if (::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener_.get(), SOMAXCONN) != 0 ||
      ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    listener_.reset();
    return false;
  }
  port_ = ntohs(address.sin_port);
  accept_thread_ = std::thread(&TestHttpServer::AcceptLoop, this, listener_.get());
  return true;
}

void TestHttpServer::Stop() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
    for (const SOCKET connection : open_connections_)
      ::shutdown(connection, SD_BOTH);
  }
  changed_.notify_all();
  listener_.reset();  // ends the blocked accept
  if (accept_thread_.joinable())
    accept_thread_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> hold(lock_);
    threads.swap(connection_threads_);
  }
  for (std::thread& thread : threads)
    thread.join();
}

std::wstring TestHttpServer::Url(std::string_view path) const {
  std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port_);
  for (const char c : path)
    url.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return url;
}

void TestHttpServer::Serve(const std::string& path, Response response) {
  std::lock_guard<std::mutex> hold(lock_);
  responses_[path] = std::move(response);
}

void TestHttpServer::ReleaseHeld(const std::string& path) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    released_paths_.insert(path);
  }
  changed_.notify_all();
}

void TestHttpServer::ReleaseHeld() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    released_all_ = true;
  }
  changed_.notify_all();
}

std::vector<TestHttpServer::Request> TestHttpServer::requests() const {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

std::vector<TestHttpServer::Request> TestHttpServer::RequestsFor(std::string_view path) const {
  std::vector<Request> matching;
  for (Request& request : requests()) {
    if (request.path == path)
      matching.push_back(std::move(request));
  }
  return matching;
}

bool TestHttpServer::WaitForRequests(size_t count, DWORD timeout_ms) const {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                           [&] { return requests_.size() >= count; });
}

void TestHttpServer::AcceptLoop(SOCKET listener) {
  for (;;) {
    unique_socket connection(::accept(listener, nullptr, nullptr));
    if (!connection)
      return;  // the listener was closed
    std::lock_guard<std::mutex> hold(lock_);
    if (stopping_)
      return;
    open_connections_.push_back(connection.get());
    connection_threads_.emplace_back(&TestHttpServer::ServeConnection, this, std::move(connection));
  }
}

void TestHttpServer::ServeConnection(unique_socket connection) {
  const SOCKET socket = connection.get();
  DWORD timeout = kReceiveTimeoutMs;
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
  std::string data;
  char buffer[4096];
  size_t head_end = std::string::npos;
  while ((head_end = data.find(kHeaderEnd)) == std::string::npos &&
         data.size() <= kMaxHeaderBytes) {
    const int received = ::recv(socket, buffer, sizeof(buffer), 0);
    if (received <= 0)
      break;
    data.append(buffer, received);
  }

  Response response;
  if (head_end == std::string::npos || head_end > kMaxHeaderBytes) {
    response = Status(431);
    if (data.size() <= kMaxHeaderBytes)
      response.status = 0;  // the client went away mid-request: nothing to answer
  } else if (std::optional<Request> request =
                 ParseHead(std::string_view(data).substr(0, head_end))) {
    size_t body_length = 0;
    const std::optional<std::string> length_header = request->Header("Content-Length");
    const std::string_view length_text = length_header ? *length_header : "0";
    const auto [end, error] =
        std::from_chars(length_text.data(), length_text.data() + length_text.size(), body_length);
    if (error != std::errc() || end != length_text.data() + length_text.size()) {
      response = Status(400);
    } else if (body_length > kMaxBodyBytes) {
      response = Status(413);
    } else {
      request->body = data.substr(head_end + kHeaderEnd.size());
      while (request->body.size() < body_length) {
        const int received = ::recv(socket, buffer, sizeof(buffer), 0);
        if (received <= 0)
          break;
        request->body.append(buffer, received);
      }
      request->body.resize(std::min(request->body.size(), body_length));
      response = Answer(std::move(*request));
    }
  } else {
    response = Status(400);
  }
  if (response.status != 0)
    SendResponse(socket, response);
  ::shutdown(socket, SD_SEND);

  std::lock_guard<std::mutex> hold(lock_);
  std::erase(open_connections_, socket);
}

TestHttpServer::Response TestHttpServer::Answer(Request request) {
  std::unique_lock<std::mutex> hold(lock_);
  const auto found = responses_.find(request.path);
  Response response = found == responses_.end() ? Status(404) : found->second;
  const std::string path = request.path;
  requests_.push_back(std::move(request));
  changed_.notify_all();
  if (response.hold) {
    changed_.wait(hold,
                  [&] { return released_all_ || released_paths_.contains(path) || stopping_; });
  }
  return response;
}
