// An in-process HTTP server on 127.0.0.1 and an ephemeral port for the network seams' tests, and
// guards that keep the process environment (proxy variables, ORVULINK_CA_FILE) from leaking into
// or out of a test. HTTPS and certificates are the integration tests' (the real simulator's).
#pragma once

#include <httplib.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace orvulink::testing {

// ---- the server -----------------------------------------------------------------------------

// Register routes on Routes() before Start(). The destructor releases stalled handlers, stops
// the server and joins its thread, whatever happened in the test.
class TestServer {
 public:
  ~TestServer() {
    released_ = true;
    if (!thread_.joinable()) return;
    // stop() is a no-op until listening has begun, so repeat it until the thread has ended.
    while (!listenEnded_) {
      server_.stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    thread_.join();
  }

  httplib::Server& Routes() { return server_; }

  void Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("test server: cannot bind to 127.0.0.1");
    thread_ = std::thread([this] {
      server_.listen_after_bind();
      listenEnded_ = true;
    });
    for (int poll = 0; poll < 5000 && !server_.is_running() && !listenEnded_; ++poll)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!server_.is_running()) throw std::runtime_error("test server: did not start");
  }

  std::string Url(const std::string& path, const std::string& scheme = "http") const {
    return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
  }

  // For handlers: holds the answer back until the server is being destroyed (at most 5 s).
  void StallUntilReleased() const {
    for (int poll = 0; poll < 5000 && !released_; ++poll)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  std::atomic<bool> listenEnded_{false}, released_{false};
  int port_ = -1;
};

// A loopback port nobody listens on: bound once to learn a free number, then closed again.
inline int RefusingLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ::close(fd);
  if (!ok) throw std::runtime_error("cannot find a free loopback port");
  return ntohs(address.sin_port);
}

// ---- the process environment ----------------------------------------------------------------

// Sets (or, with nullopt, removes) one environment variable for the life of the scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) previous_ = old;
    Apply(value);
  }
  ~ScopedEnvironment() { Apply(previous_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  void Set(const std::optional<std::string>& value) { Apply(value); }

 private:
  void Apply(const std::optional<std::string>& value) {
    if (value)
      ::setenv(name_.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  std::string name_;
  std::optional<std::string> previous_;
};

// No proxy variables and no ORVULINK_CA_FILE while it lives: loopback traffic goes direct, and a
// test sets only what it means to.
class CleanNetworkEnvironment {
 public:
  CleanNetworkEnvironment() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY", "ORVULINK_CA_FILE"}) {
      cleared_.push_back(std::make_unique<ScopedEnvironment>(name, std::nullopt));
    }
  }

 private:
  std::vector<std::unique_ptr<ScopedEnvironment>> cleared_;
};

}  // namespace orvulink::testing
