// An in-process HTTP(S) server on 127.0.0.1 and an ephemeral port for the network seams' tests,
// with a certificate made for this test run, and guards that keep the process environment
// (proxy variables, ORVULINK_CA_FILE) from leaking into or out of a test.
#pragma once

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace orvulink::testing {

// ---- the test run's TLS certificate ---------------------------------------------------------

struct TlsFiles {
  std::string certificate;  // PEM; also the CA bundle a client must trust
  std::string privateKey;   // PEM
};

namespace detail {

inline bool AddExtension(X509* cert, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  const bool added = extension != nullptr && X509_add_ext(cert, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

// A self-signed CA certificate for IP:127.0.0.1 and DNS:localhost, valid from an hour ago for a
// day, in a directory of its own that is removed when the test process ends.
struct TlsDirectory {
  std::filesystem::path path;
  TlsFiles files;

  TlsDirectory() {
    std::string pattern = std::filesystem::temp_directory_path() / "orvulink-tls-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("test certificate: folder");
    path = pattern;
    files = {(path / "cert.pem").string(), (path / "key.pem").string()};
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    X509_NAME* name = X509_get_subject_name(cert);
    bool ok = key != nullptr && X509_set_version(cert, 2) == 1 &&
              ASN1_INTEGER_set(X509_get_serialNumber(cert), 1) == 1 &&
              X509_gmtime_adj(X509_getm_notBefore(cert), -3600) != nullptr &&
              X509_gmtime_adj(X509_getm_notAfter(cert), 86400) != nullptr &&
              X509_set_pubkey(cert, key) == 1 &&
              X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                         reinterpret_cast<const unsigned char*>("OrvuLink test"),
                                         -1, -1, 0) == 1 &&
              X509_set_issuer_name(cert, name) == 1 &&
              AddExtension(cert, NID_basic_constraints, "critical,CA:TRUE") &&
              AddExtension(cert, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost") &&
              X509_sign(cert, key, EVP_sha256()) > 0;
    BIO* certFile = ok ? BIO_new_file(files.certificate.c_str(), "w") : nullptr;
    BIO* keyFile = ok ? BIO_new_file(files.privateKey.c_str(), "w") : nullptr;
    ok = certFile != nullptr && keyFile != nullptr && PEM_write_bio_X509(certFile, cert) == 1 &&
         PEM_write_bio_PrivateKey(keyFile, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    BIO_free_all(certFile);
    BIO_free_all(keyFile);
    X509_free(cert);
    EVP_PKEY_free(key);
    if (!ok) throw std::runtime_error("test certificate: not made");
  }
  ~TlsDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TlsDirectory(const TlsDirectory&) = delete;
  TlsDirectory& operator=(const TlsDirectory&) = delete;
};

}  // namespace detail

inline const TlsFiles& TestTlsFiles() {
  static const detail::TlsDirectory directory;
  return directory.files;
}

// ---- the server -----------------------------------------------------------------------------

// Register routes on Routes() before Start(). The destructor releases stalled handlers, stops
// the server and joins its thread, whatever happened in the test.
class TestServer {
 public:
  enum class Scheme { kHttp, kHttps };

  explicit TestServer(Scheme scheme = Scheme::kHttp) : scheme_(scheme) {
    if (scheme == Scheme::kHttp) {
      server_ = std::make_unique<httplib::Server>();
    } else {
      const TlsFiles& tls = TestTlsFiles();
      server_ =
          std::make_unique<httplib::SSLServer>(tls.certificate.c_str(), tls.privateKey.c_str());
    }
    if (!server_->is_valid()) throw std::runtime_error("test server: invalid set-up");
  }

  ~TestServer() {
    ReleaseStalls();
    if (!thread_.joinable()) return;
    // stop() is a no-op until listening has begun, so repeat it until the thread has ended.
    while (!listenEnded_) {
      server_->stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    thread_.join();
  }
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  httplib::Server& Routes() { return *server_; }

  void Start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("test server: cannot bind to 127.0.0.1");
    thread_ = std::thread([this] {
      server_->listen_after_bind();
      listenEnded_ = true;
    });
    for (int poll = 0; poll < 5000 && !server_->is_running(); ++poll) {
      if (listenEnded_) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!server_->is_running()) throw std::runtime_error("test server: did not start");
  }

  int Port() const { return port_; }
  std::string Url(const std::string& path, const std::string& scheme = {}) const {
    const std::string prefix =
        scheme.empty() ? (scheme_ == Scheme::kHttp ? "http" : "https") : scheme;
    return prefix + "://127.0.0.1:" + std::to_string(port_) + path;
  }

  // For handlers: holds the answer back until the server is being destroyed (at most `bound`).
  void StallUntilReleased(std::chrono::milliseconds bound = std::chrono::seconds(5)) {
    std::unique_lock lock(stallMutex_);
    stallReleased_.wait_for(lock, bound, [this] { return released_; });
  }

 private:
  void ReleaseStalls() {
    {
      const std::lock_guard lock(stallMutex_);
      released_ = true;
    }
    stallReleased_.notify_all();
  }

  Scheme scheme_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::atomic<bool> listenEnded_{false};
  int port_ = -1;
  std::mutex stallMutex_;
  std::condition_variable stallReleased_;
  bool released_ = false;
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
