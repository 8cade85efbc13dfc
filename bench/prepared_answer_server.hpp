// A gateway that does no work: on 127.0.0.1, it reads each request whole and writes back the
// same prepared HTTP response, then closes the connection. Against it, a command's time is the
// client's own and the wire's, nothing of a gateway's.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

namespace orvulink::bench {

class PreparedAnswerServer {
 public:
  // `body` is served with `contentType` and status 200.
  PreparedAnswerServer(std::string_view contentType, std::string_view body)
      : response_("HTTP/1.1 200 OK\r\nContent-Type: " + std::string(contentType) +
                  "\r\nContent-Length: " + std::to_string(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + std::string(body)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("prepared-answer server: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~PreparedAnswerServer() {
    ::shutdown(listener_, SHUT_RDWR);  // wakes accept()
    thread_.join();
    ::close(listener_);
  }
  PreparedAnswerServer(const PreparedAnswerServer&) = delete;
  PreparedAnswerServer& operator=(const PreparedAnswerServer&) = delete;

  int port() const { return port_; }

 private:
  void Serve() {
    for (;;) {
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      if (ReadRequest(connection)) WriteAll(connection, response_);
      ::close(connection);
    }
  }

  // The head up to its blank line, then as many body bytes as Content-Length says.
  static bool ReadRequest(int connection) {
    std::string request;
    char buffer[65536];
    std::size_t headEnd = std::string::npos, wanted = 0;
    for (;;) {
      const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) return false;
      request.append(buffer, static_cast<std::size_t>(got));
      if (headEnd == std::string::npos) {
        headEnd = request.find("\r\n\r\n");
        if (headEnd == std::string::npos) continue;
        headEnd += 4;
        wanted = headEnd + ContentLength(std::string_view(request).substr(0, headEnd));
      }
      if (request.size() >= wanted) return true;
    }
  }

  static std::size_t ContentLength(std::string_view head) {
    std::string lower(head);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return std::strtoul(lower.c_str() + at + 17, nullptr, 10);
  }

  static void WriteAll(int connection, std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
  }

  std::string response_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace orvulink::bench
