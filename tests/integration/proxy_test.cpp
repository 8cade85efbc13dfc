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

// tinyproxy in the foreground on a free loopback port, logging to a file of `dir`; ready once it
// says it accepts connections, ended with the object.
struct Tinyproxy {
  Tinyproxy(const std::filesystem::path& dir, bool basicAuth) : log(dir / "tinyproxy.log") {
    const auto config = (dir / "tinyproxy.conf").string();
    std::ofstream(config) << "Port " << port << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                          << "Timeout 30\nLogLevel Info\nLogFile \"" << log.string() << "\"\n"
                          << (basicAuth ? "BasicAuth puser ppass\n" : "");
    std::string arguments[] = {kTinyproxy, "-d", "-c", config};
    char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                    arguments[3].data(), nullptr};
    if (::posix_spawn(&pid, kTinyproxy, nullptr, nullptr, argv, environ) != 0)
      throw std::runtime_error("cannot start tinyproxy");
    for (int tries = 0; Log().find("Accepting connections") == std::string::npos; ++tries) {
      if (tries == 500 || ::waitpid(pid, nullptr, WNOHANG) == pid) {
        ::kill(pid, SIGKILL);
        throw std::runtime_error("tinyproxy did not come up; its log:\n" + Log());
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~Tinyproxy() {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  std::string Log() const {
    std::ostringstream text;
    text << std::ifstream(log).rdbuf();
    return text.str();
  }

  int port = testing::RefusingLoopbackPort();
  std::filesystem::path log;
  pid_t pid = -1;
};

struct ProxyCase {
  const char* name;
  Scheme scheme;
  bool basicAuth;  // the proxy demands credentials
  const char* proxyUser;
  const char* proxyPassword;
  OrvuLink_CodeTestConnection verdict;  // TestConnection through the same proxy; when it is OK,
                                        // GetCredit gives 150.5, else it raises a network error
};

class ProxyTest : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyTest, GetCreditAndTestConnection) {
  ASSERT_EQ(::access(kTinyproxy, X_OK), 0)
      << kTinyproxy << " is missing: install it with scripts/install-deps.sh";
  const ProxyCase& c = GetParam();
  const bool succeeds = c.verdict == ORVULINK_TEST_OK;
  GatewayEnvironment env(c.scheme);
  Tinyproxy proxy(env.temp.path(), c.basicAuth);
  OrvuLinkActiveX& control = *env.control;
  control.Proxy(BStr("127.0.0.1"));
  control.ProxyPort(BStr(std::to_string(proxy.port)));
  control.ProxyUsername(BStr(c.proxyUser));
  control.ProxyPassword(BStr(c.proxyPassword));

  const std::int32_t raised =
      testing::RaisedNumber([&] { EXPECT_DOUBLE_EQ(control.GetCredit(), 150.5); });
  EXPECT_EQ(raised, succeeds ? 0 : ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(control.TestConnection(), c.verdict);
  EXPECT_EQ(env.Commands().size(), succeeds ? 2U : 0U) << "a refused request got through";
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
        ProxyCase{"HttpOpen", Scheme::kHttp, false, "", "", ORVULINK_TEST_OK},
        ProxyCase{"HttpsOpen", Scheme::kHttps, false, "", "", ORVULINK_TEST_OK},
        ProxyCase{"HttpAuthRight", Scheme::kHttp, true, "puser", "ppass", ORVULINK_TEST_OK},
        ProxyCase{"HttpsAuthRight", Scheme::kHttps, true, "puser", "ppass", ORVULINK_TEST_OK},
        ProxyCase{"HttpAuthWrong", Scheme::kHttp, true, "puser", "wrong", ORVULINK_TEST_PROXY},
        ProxyCase{"HttpAuthMissing", Scheme::kHttp, true, "", "", ORVULINK_TEST_GATEWAY},
        ProxyCase{"HttpsAuthWrong", Scheme::kHttps, true, "puser", "wrong", ORVULINK_TEST_GENERIC}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace orvulink::integration
