// The simulator as a server: HTTP or HTTPS on a loopback port, gateway and control routes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/accounts.hpp"
#include "sim/fault.hpp"
#include "sim/gateway.hpp"
#include "sim/simulator_state.hpp"
#include "sim/tls_certificate.hpp"

namespace httplib {
class Server;
}

namespace orvulink::sim {

struct SimulatorConfig {
  AccountFixture accounts = DemoFixture();
  std::string serial = std::string(kDefaultSerial);
  std::vector<Fault> faults;               // queued before the first request
  std::shared_ptr<const TlsIdentity> tls;  // none: plain HTTP
};

class Simulator {
 public:
  explicit Simulator(SimulatorConfig config);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Binds the listening socket (port 0 picks a free one) and returns the port; throws when
  // the address cannot be bound.
  int Bind(const std::string& host, int port);

  // Serves until Stop(); call after Bind().
  bool Run();
  void Stop();
  bool IsRunning() const;

  // "http://HOST:PORT" or "https://HOST:PORT".
  std::string Url() const;

  SimulatorState& state() noexcept { return state_; }

 private:
  std::shared_ptr<const TlsIdentity> tls_;
  SimulatorState state_;
  std::unique_ptr<httplib::Server> server_;
  std::string host_;
  int port_ = 0;
};

}  // namespace orvulink::sim
