#include "sim/simulator.hpp"

#include <httplib.h>
#include <sys/socket.h>

#include <csignal>
#include <stdexcept>

#include "sim/control_endpoint.hpp"
#include "sim/gateway_routes.hpp"

namespace orvulink::sim {
namespace {

// Large enough for a long send list, small enough that a runaway client cannot exhaust memory.
constexpr std::size_t kLargestBody = 4U * 1024U * 1024U;

std::unique_ptr<httplib::Server> MakeServer(const std::shared_ptr<const TlsIdentity>& tls) {
  if (!tls) return std::make_unique<httplib::Server>();
  auto server =
      std::make_unique<httplib::SSLServer>(tls->certificate.get(), tls->key.get(), nullptr);
  if (!server->is_valid()) throw std::runtime_error("the TLS identity cannot serve HTTPS");
  return server;
}

// httplib's default adds SO_REUSEPORT, which lets a second simulator share a busy port and
// steal half its requests; SO_REUSEADDR alone still allows a quick restart on a fixed port.
void ExclusivePort(socket_t socket) {
  const int yes = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// A handler that throws answers 500 instead of taking the worker thread down.
void AnswerException(const httplib::Request&, httplib::Response& response, std::exception_ptr) {
  response.status = 500;
  response.set_content("simulator error\n", "text/plain");
}

}  // namespace

Simulator::Simulator(SimulatorConfig config)
    : tls_(std::move(config.tls)),
      state_(std::move(config.accounts), std::move(config.serial)),
      server_(MakeServer(tls_)) {
  for (auto& fault : config.faults)
    state_.faults.Add(std::move(fault));
  server_->set_payload_max_length(kLargestBody);
  server_->set_exception_handler(AnswerException);
  server_->set_socket_options(ExclusivePort);
  MountGatewayRoutes(*server_, state_);
  MountControlEndpoint(*server_, state_);
}

Simulator::~Simulator() {
  Stop();
}

int Simulator::Bind(const std::string& host, int port) {
  const int bound =
      port == 0 ? server_->bind_to_any_port(host) : (server_->bind_to_port(host, port) ? port : -1);
  if (bound <= 0) {
    throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port));
  }
  host_ = host;
  port_ = bound;
  return bound;
}

bool Simulator::Run() {
  return server_->listen_after_bind();
}

void Simulator::Stop() {
  state_.pause.Cancel();
  server_->stop();
}

bool Simulator::IsRunning() const {
  return server_->is_running();
}

std::string Simulator::Url() const {
  return std::string(tls_ ? "https" : "http") + "://" + host_ + ":" + std::to_string(port_);
}

}  // namespace orvulink::sim
