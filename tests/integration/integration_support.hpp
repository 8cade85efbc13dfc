// Shared helpers of the integration tests: the component pointed at an in-process gateway
// simulator on loopback, over HTTP or over HTTPS with a certificate made for the test.
#pragma once

#include <orvulink/control.hpp>

#include "gateway/exchange_form.hpp"
#include "sim/accounts.hpp"
#include "sim/simulator_thread.hpp"
#include "sim/tls_certificate.hpp"
#include "unit/test_server.hpp"
#include "unit/test_support.hpp"

namespace orvulink::integration {

enum class Scheme { kHttp, kHttps };

// The machine's interfaces are not under test; safe to ask from every thread.
struct AlwaysOnline : platform::OnlineCheck {
  bool IsOnline() override { return true; }
};

// The demo account with the given fixture keys of its own.
inline sim::SimulatorConfig DemoAccountWith(nlohmann::json keys) {
  keys["user"] = "demo";
  keys["password"] = "demo-password";
  sim::SimulatorConfig config;
  config.accounts = sim::ParseFixture({{"accounts", nlohmann::json::array({keys})}});
  return config;
}

// One simulator and one control signed in as "demo": ORVULINK_GATEWAY_HOST and (HTTPS)
// ORVULINK_CA_FILE point at the simulator, which gets a fresh self-signed certificate; no proxy
// variables from the host, an online check that says "online" (the machine's interfaces are not
// under test), a fresh probe state on this thread. Everything is put back when the object goes.
struct GatewayEnvironment {
  explicit GatewayEnvironment(Scheme scheme, sim::SimulatorConfig config = {})
      : simulator(WithTls(scheme, std::move(config), caFile)),
        host("ORVULINK_GATEWAY_HOST", "127.0.0.1:" + std::to_string(simulator.port())),
        ca("ORVULINK_CA_FILE",
           scheme == Scheme::kHttps ? std::optional(caFile.string()) : std::nullopt) {
    gateway::ThisThreadExchangeForm().iNavigateState = 0;  // no probe yet on this thread
    control->UserName(BStr("demo"));
    control->Password(BStr("demo-password"));
    control->EncryptSSL(VariantBool(scheme == Scheme::kHttps));
    control->AutomaticProxy(VariantBool(false));
  }
  ~GatewayEnvironment() { control->Terminate(); }
  static sim::SimulatorConfig WithTls(Scheme scheme, sim::SimulatorConfig config,
                                      const std::filesystem::path& caFile) {
    if (scheme == Scheme::kHttps) {
      config.tls = std::make_shared<sim::TlsIdentity>(sim::GenerateSelfSignedIdentity());
      sim::WriteCertificatePem(*config.tls, caFile);
    }
    return config;
  }

  std::vector<std::string> Commands() { return simulator.state().log.Commands(); }

  testing::TempFolder temp;
  std::filesystem::path caFile = temp.path() / "simulator-ca.pem";
  testing::CleanNetworkEnvironment proxyVariables;
  testing::ScopedOnlineCheck online{std::make_shared<AlwaysOnline>()};
  sim::SimulatorThread simulator;
  testing::ScopedEnvironment host;
  testing::ScopedEnvironment ca;
  std::shared_ptr<OrvuLinkActiveX> control = OrvuLinkActiveX::Create();
};

}  // namespace orvulink::integration
