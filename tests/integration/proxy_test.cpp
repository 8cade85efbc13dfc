// The component through a manually configured proxy: tinyproxy runs as a child process on a
// loopback port, in front of the gateway simulator, with and without Basic authentication.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <orvulink/enums.hpp>

#include <fstream>
#include <sstream>
#include <thread>

#include "integration/integration_support.hpp"

extern char** environ;

namespace orvulink::integration {
namespace {

constexpr const char* kTinyproxy = "/usr/bin/tinyproxy";

// tinyproxy in the foreground, logging to a file of `dir`; the constructor returns once it
// accepts connections and throws, with its log, when it does not come up.
class Tinyproxy {
 public:
  Tinyproxy(const std::filesystem::path& dir, bool basicAuth) : log_(dir / "tinyproxy.log") {
    const auto config = (dir / "tinyproxy.conf").string();
    std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                          << "Timeout 30\nLogLevel Info\nLogFile \"" << log_.string() << "\"\n"
                          << (basicAuth ? "BasicAuth puser ppass\n" : "");
    std::string arguments[] = {kTinyproxy, "-d", "-c", config};
    char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                    arguments[3].data(), nullptr};
    if (::posix_spawn(&pid_, kTinyproxy, nullptr, nullptr, argv, environ) != 0)
      throw std::runtime_error("cannot start tinyproxy");
    for (int tries = 0; Log().find("Accepting connections") == std::string::npos; ++tries) {
      if (tries == 500 || ::waitpid(pid_, nullptr, WNOHANG) == pid_)
        throw std::runtime_error("tinyproxy did not come up; its log:\n" + Log());
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~Tinyproxy() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  Tinyproxy(const Tinyproxy&) = delete;
  Tinyproxy& operator=(const Tinyproxy&) = delete;

  int port() const noexcept { return port_; }
  std::string Log() const {
    std::ostringstream text;
    text << std::ifstream(log_).rdbuf();
    return text.str();
  }

 private:
  int port_ = testing::RefusingLoopbackPort();
  std::filesystem::path log_;
  pid_t pid_ = -1;
};

struct ProxyCase {
  const char* name;
  Scheme scheme;
  bool basicAuth;  // the proxy demands credentials
  const char* proxyUser;
  const char* proxyPassword;
  bool succeeds;                        // GetCredit gives 150.5; else it raises a network error
  OrvuLink_CodeTestConnection verdict;  // TestConnection through the same proxy
};

class ProxyTest : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyTest, GetCreditAndTestConnection) {
  ASSERT_EQ(::access(kTinyproxy, X_OK), 0)
      << kTinyproxy << " is missing: install it with scripts/install-deps.sh";
  const ProxyCase& c = GetParam();
  GatewayEnvironment env(c.scheme);
  Tinyproxy proxy(env.temp.path(), c.basicAuth);
  OrvuLinkActiveX& control = *env.control;
  control.Proxy(BStr("127.0.0.1"));
  control.ProxyPort(BStr(std::to_string(proxy.port())));
  control.ProxyUsername(BStr(c.proxyUser));
  control.ProxyPassword(BStr(c.proxyPassword));

  const std::int32_t raised =
      testing::RaisedNumber([&] { EXPECT_DOUBLE_EQ(control.GetCredit(), 150.5); });
  EXPECT_EQ(raised, c.succeeds ? 0 : ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(control.TestConnection(), c.verdict);
  EXPECT_EQ(env.Commands().size(), c.succeeds ? 2U : 0U) << "a refused request got through";
  if (c.succeeds) {
    // The requests went through the proxy, not straight to the gateway.
    const std::string gateway = "127.0.0.1:" + std::to_string(env.simulator.port());
    const std::string line =
        c.scheme == Scheme::kHttps ? "CONNECT " + gateway : "POST http://" + gateway + "/cgi/";
    EXPECT_NE(proxy.Log().find(line), std::string::npos) << "no '" << line << "' logged";
  }
}

// How a refusal by the proxy is classified. libcurl first asks without credentials and tinyproxy
// answers 407; with credentials configured, libcurl retries with Basic:
//  - no credentials: the answer stays 407, whose status text is neither "OK" nor "Unauthorized"
//    and not empty, so the exchange rules make it a gateway failure (-4);
//  - wrong credentials: tinyproxy answers the retry with 401 "Unauthorized", a proxy failure (-3);
//  - over HTTPS the refusal ends the CONNECT tunnel inside libcurl: no status and no page reach
//    the exchange, so the verdict stays the generic one (0).
INSTANTIATE_TEST_SUITE_P(
    Tinyproxy, ProxyTest,
    ::testing::Values(
        ProxyCase{"HttpOpen", Scheme::kHttp, false, "", "", true, ORVULINK_TEST_OK},
        ProxyCase{"HttpsOpen", Scheme::kHttps, false, "", "", true, ORVULINK_TEST_OK},
        ProxyCase{"HttpAuthRight", Scheme::kHttp, true, "puser", "ppass", true, ORVULINK_TEST_OK},
        ProxyCase{"HttpsAuthRight", Scheme::kHttps, true, "puser", "ppass", true, ORVULINK_TEST_OK},
        ProxyCase{"HttpAuthWrong", Scheme::kHttp, true, "puser", "wrong", false,
                  ORVULINK_TEST_PROXY},
        ProxyCase{"HttpAuthMissing", Scheme::kHttp, true, "", "", false, ORVULINK_TEST_GATEWAY},
        ProxyCase{"HttpsAuthWrong", Scheme::kHttps, true, "puser", "wrong", false,
                  ORVULINK_TEST_GENERIC}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvulink::integration
