// The component through a manually configured proxy: tinyproxy runs as a child process on a
// loopback port, in front of the gateway simulator, with and without Basic authentication.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <orvulink/control.hpp>
#include <orvulink/enums.hpp>

#include <chrono>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "integration/integration_support.hpp"

extern char** environ;

namespace orvulink::integration {
namespace {

using namespace std::chrono_literals;
using testing::CatchAutomationError;

constexpr const char* kTinyproxy = "/usr/bin/tinyproxy";

// tinyproxy in the foreground on a free loopback port, logging to a file of `dir`. The
// constructor returns once the port accepts connections and throws, with the proxy's log, when
// it does not come up; the destructor ends the process and reaps it.
class Tinyproxy {
 public:
  Tinyproxy(const std::filesystem::path& dir, bool basicAuth)
      : port_(FreeLoopbackPort()), log_(dir / "tinyproxy.log") {
    const auto config = dir / "tinyproxy.conf";
    std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                          << "Timeout 30\nMaxClients 20\nLogLevel Info\n"
                          << (basicAuth ? "BasicAuth puser ppass\n" : "");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log_.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::string arguments[] = {kTinyproxy, "-d", "-c", config.string()};
    char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                    arguments[3].data(), nullptr};
    const int spawned = ::posix_spawn(&pid_, kTinyproxy, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error(std::string("cannot start ") + kTinyproxy);
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!LoopbackPortAccepts(port_)) {
      const bool exited = ::waitpid(pid_, nullptr, WNOHANG) == pid_;
      if (exited) pid_ = -1;
      if (exited || std::chrono::steady_clock::now() > deadline) {
        Stop();
        throw std::runtime_error("tinyproxy did not listen on port " + std::to_string(port_) +
                                 "; its log:\n" + Log());
      }
      std::this_thread::sleep_for(20ms);
    }
  }
  ~Tinyproxy() { Stop(); }
  Tinyproxy(const Tinyproxy&) = delete;
  Tinyproxy& operator=(const Tinyproxy&) = delete;

  int port() const noexcept { return port_; }
  // What the proxy logged so far; complete once Stop() has returned.
  std::string Log() const {
    std::ostringstream text;
    text << std::ifstream(log_, std::ios::binary).rdbuf();
    return text.str();
  }

  void Stop() noexcept {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        break;
      }
      std::this_thread::sleep_for(20ms);
    }
    pid_ = -1;
  }

 private:
  int port_;
  std::filesystem::path log_;
  pid_t pid_ = -1;
};

struct ProxyCase {
  std::string name;
  Scheme scheme;
  bool basicAuth;         // the proxy demands credentials
  std::string proxyUser;  // what the host configures
  std::string proxyPassword;
  bool succeeds;                        // GetCredit gives 150.5; else it raises 28379
  OrvuLink_CodeTestConnection verdict;  // TestConnection through the same proxy
};

void PrintTo(const ProxyCase& c, std::ostream* out) {
  *out << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<ProxyCase>& param) {
  return param.param.name;
}

class ProxyTest : public ::testing::TestWithParam<ProxyCase> {
 protected:
  void SetUp() override {
    ASSERT_EQ(::access(kTinyproxy, X_OK), 0)
        << kTinyproxy << " is missing: the proxy tests need tinyproxy, installed by "
        << "scripts/install-deps.sh";
    env_.emplace(GetParam().scheme);
    ASSERT_NO_THROW(proxy_.emplace(env_->tempDir(), GetParam().basicAuth));
    OrvuLinkActiveX& control = env_->control();
    control.Proxy(BStr("127.0.0.1"));
    control.ProxyPort(BStr(std::to_string(proxy_->port())));
    control.ProxyUsername(BStr(GetParam().proxyUser));
    control.ProxyPassword(BStr(GetParam().proxyPassword));
  }
  void TearDown() override {
    proxy_.reset();
    env_.reset();
  }

  // The proxy's log, complete: the proxy is stopped first.
  std::string StoppedProxyLog() {
    proxy_->Stop();
    return proxy_->Log();
  }

  std::optional<GatewayEnvironment> env_;
  std::optional<Tinyproxy> proxy_;
};

TEST_P(ProxyTest, GetCredit) {
  const ProxyCase& c = GetParam();
  const std::string gateway = "127.0.0.1:" + std::to_string(env_->simulator().port());
  if (c.succeeds) {
    EXPECT_DOUBLE_EQ(env_->control().GetCredit(), 150.5);
    EXPECT_EQ(env_->Commands().size(), 1U);
    EXPECT_EQ(env_->Commands().front(), Utf8(env_->control().LastRequest()));
    // The request went through the proxy, not straight to the gateway.
    const std::string expectedLine = c.scheme == Scheme::kHttps
                                         ? "CONNECT " + gateway
                                         : "POST http://" + gateway + "/cgi/orvusms_gw_plus.php";
    EXPECT_NE(StoppedProxyLog().find(expectedLine), std::string::npos)
        << "the proxy's log lacks '" << expectedLine << "'";
  } else {
    const auto error = CatchAutomationError([&] { env_->control().GetCredit(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), ORVULINK_ERROR_NETWORK);
    EXPECT_EQ(env_->control().ErrCode(), ORVULINK_ERROR_NETWORK);
    EXPECT_TRUE(env_->Commands().empty()) << "the proxy let a refused request through";
  }
}

TEST_P(ProxyTest, TestConnection) {
  EXPECT_EQ(env_->control().TestConnection(), GetParam().verdict);
  EXPECT_EQ(env_->Commands().size(), GetParam().succeeds ? 1U : 0U);
}

// How a refusal by the proxy is classified. The component asks libcurl for any proxy
// authentication scheme, so libcurl first sends no credentials and tinyproxy answers 407; with
// credentials, libcurl then retries with Basic:
//  - no credentials configured: the answer stays 407 with a page. Its status text,
//    "Proxy Authentication Required", is neither "OK" nor "Unauthorized" and is not empty, so
//    the exchange rules classify it as a gateway failure (-4), not as a proxy failure.
//  - wrong credentials: tinyproxy answers the retry with 401 "Unauthorized", which the rules
//    classify as a proxy failure (-3).
//  - over HTTPS the refusal ends the CONNECT tunnel inside libcurl: no status and no page reach
//    the exchange, only a transport failure, so nothing is classified and the verdict stays
//    the generic one (0).
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
    CaseName);

}  // namespace
}  // namespace orvulink::integration
