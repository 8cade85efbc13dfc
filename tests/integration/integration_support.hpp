// Shared helpers of the integration tests: the component pointed at an in-process gateway
// simulator on loopback (HTTP or HTTPS), environment variables and temporary files restored
// or removed by scope guards, and the command strings the gateway expects, built here
// independently of the component's own encoder.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <orvulink/control.hpp>
#include <orvulink/platform.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "gateway/exchange_form.hpp"
#include "sim/accounts.hpp"
#include "sim/simulator_thread.hpp"
#include "sim/tls_certificate.hpp"
#include "unit/fake_network.hpp"
#include "unit/test_server.hpp"
#include "unit/test_support.hpp"

namespace orvulink::integration {

inline constexpr std::string_view kDemoUser = "demo";
inline constexpr std::string_view kDemoPassword = "demo-password";
inline constexpr std::string_view kSerial = "OL7R2K9Q4M1X8C5V3N6B";

enum class Scheme { kHttp, kHttps };

inline std::string SchemeName(Scheme scheme) {
  return scheme == Scheme::kHttps ? "Https" : "Http";
}

inline void PrintTo(Scheme scheme, std::ostream* out) {
  *out << SchemeName(scheme);
}

// The demo account with the given fixture keys of its own, 100 credits unless they say.
inline orvulink::sim::SimulatorConfig DemoAccountWith(nlohmann::json keys) {
  keys["user"] = std::string(kDemoUser);
  keys["password"] = std::string(kDemoPassword);
  if (!keys.contains("credit")) keys["credit"] = 100.0;
  orvulink::sim::SimulatorConfig config;
  config.accounts = orvulink::sim::ParseFixture({{"accounts", nlohmann::json::array({keys})}});
  return config;
}

// Sets (or, with nullopt, removes) an environment variable for the life of the scope.
using ScopedEnv = testing::ScopedEnvironment;

// A private directory under the system's temporary folder, removed with all it holds.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvulink-integ-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const noexcept { return path_; }

 private:
  std::filesystem::path path_;
};

// Lower-case hexadecimal MD5 of the bytes, through OpenSSL rather than the component's own.
inline std::string Md5Hex(std::string_view bytes) {
  return testing::OpenSslMd5Hex(std::string(bytes));
}

// Every byte as "%XX", upper-case hexadecimal: how the component sends each field value.
inline std::string PercentEveryByte(std::string_view bytes) {
  return testing::PercentEncoded(std::string(bytes));
}

// "CMD=n&UID=..&PWD=.." followed by the given fields, each value encoded byte by byte.
inline std::string ExpectedCommand(int command, std::string_view user, std::string_view password,
                                   const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string text = "CMD=" + std::to_string(command);
  text += "&UID=" + PercentEveryByte(Md5Hex(user));
  text += "&PWD=" + PercentEveryByte(Md5Hex(password));
  for (const auto& [name, value] : fields)
    text += "&" + name + "=" + PercentEveryByte(value);
  return text;
}

// The gateway's page around an answer text.
inline std::string FramedPage(std::string_view text) {
  return "<html>\r\n<body>\r\n" + std::string(text) + "\r\n</body>\r\n</html>\r\n";
}

// A loopback port nobody listens on right now.
inline int FreeLoopbackPort() {
  return testing::RefusingLoopbackPort();
}

inline bool LoopbackPortAccepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool accepted = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return accepted;
}

inline std::string Utf8(const BStr& text) {
  return text.utf8();
}

// One simulator and one control, the component's environment pointed at the simulator:
// ORVULINK_GATEWAY_HOST, ORVULINK_CA_FILE (HTTPS only), no proxy variables from the host, an
// online check that answers "online" (the machine's own interfaces are not under test), and a
// fresh probe state on this thread. Everything is put back when the object goes.
class GatewayEnvironment {
 public:
  explicit GatewayEnvironment(Scheme scheme, orvulink::sim::SimulatorConfig config = {})
      : scheme_(scheme),
        caFile_(temp_.path() / "simulator-ca.pem"),
        simulator_(WithTls(scheme, std::move(config), caFile_)),
        host_("ORVULINK_GATEWAY_HOST", "127.0.0.1:" + std::to_string(simulator_.port())),
        ca_("ORVULINK_CA_FILE", scheme == Scheme::kHttps
                                    ? std::optional<std::string>(caFile_.string())
                                    : std::nullopt) {
    auto& form = gateway::ThisThreadExchangeForm();
    form.iNavigateState = 0;
    form.iCodeTest = 0;
    control_ = OrvuLinkActiveX::Create();
    control_->UserName(BStr(std::string(kDemoUser)));
    control_->Password(BStr(std::string(kDemoPassword)));
    control_->EncryptSSL(VariantBool(scheme == Scheme::kHttps));
    control_->AutomaticProxy(VariantBool(false));
  }
  ~GatewayEnvironment() {
    if (control_) control_->Terminate();
    gateway::ThisThreadExchangeForm().iNavigateState = 0;
  }
  GatewayEnvironment(const GatewayEnvironment&) = delete;
  GatewayEnvironment& operator=(const GatewayEnvironment&) = delete;

  OrvuLinkActiveX& control() { return *control_; }
  orvulink::sim::SimulatorThread& simulator() { return simulator_; }
  std::vector<std::string> Commands() { return simulator_.state().log.Commands(); }
  std::size_t ProbeCount() { return simulator_.state().log.ProbeCount(); }
  void AddFault(std::string_view text) {
    simulator_.state().faults.Add(orvulink::sim::ParseFault(text));
  }
  Scheme scheme() const noexcept { return scheme_; }
  const std::filesystem::path& tempDir() const noexcept { return temp_.path(); }
  ScopedEnv& caFileVariable() { return ca_; }
  ScopedEnv& hostVariable() { return host_; }
  std::shared_ptr<testing::SwitchableOnlineCheck>& onlineCheck() { return online_; }

 private:
  static orvulink::sim::SimulatorConfig WithTls(Scheme scheme,
                                                orvulink::sim::SimulatorConfig config,
                                                const std::filesystem::path& caFile) {
    if (scheme == Scheme::kHttps) {
      config.tls =
          std::make_shared<orvulink::sim::TlsIdentity>(orvulink::sim::GenerateSelfSignedIdentity());
      orvulink::sim::WriteCertificatePem(*config.tls, caFile);
    }
    return config;
  }

  Scheme scheme_;
  TempDir temp_;
  std::filesystem::path caFile_;
  testing::CleanNetworkEnvironment proxyVariables_;
  std::shared_ptr<testing::SwitchableOnlineCheck> online_ =
      std::make_shared<testing::SwitchableOnlineCheck>();
  testing::ScopedOnlineCheck scopedOnline_{online_};
  orvulink::sim::SimulatorThread simulator_;
  ScopedEnv host_;
  ScopedEnv ca_;
  std::shared_ptr<OrvuLinkActiveX> control_;
};

}  // namespace orvulink::integration
