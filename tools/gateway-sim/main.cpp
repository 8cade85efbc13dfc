// orvulink-gateway: the gateway simulator as a program for the demo and offline development.
#include <pthread.h>
#include <signal.h>

#include <CLI/Error.hpp>
#include <atomic>
#include <chrono>
#include <ctime>
#include <iostream>
#include <memory>
#include <thread>

#include "sim/options.hpp"
#include "sim/simulator.hpp"

namespace {

namespace sim = orvulink::sim;
using sim::Options;

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

std::shared_ptr<const sim::TlsIdentity> TlsFor(const Options& options) {
  if (!options.tls) return nullptr;
  auto identity = std::make_shared<sim::TlsIdentity>(
      options.certificate ? sim::LoadIdentity(*options.certificate, *options.key)
                          : sim::GenerateSelfSignedIdentity());
  if (options.write_ca) sim::WriteCertificatePem(*identity, *options.write_ca);
  return identity;
}

sim::SimulatorConfig ConfigFor(const Options& options) {
  sim::SimulatorConfig config;
  if (options.accounts) config.accounts = sim::LoadFixtureFile(*options.accounts);
  config.serial = options.serial;
  config.faults = options.faults;
  config.tls = TlsFor(options);
  return config;
}

// Blocked before any thread starts, so only AwaitStop() ever takes them; a shell that starts
// us in the background leaves SIGINT ignored, which would discard it even while blocked.
sigset_t TakeStopSignals() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  return signals;
}

// Until the server accepts, a stop would find nothing to stop.
void AwaitRunning(const sim::Simulator& simulator, const std::atomic<bool>& ended) {
  while (!simulator.IsRunning() && !ended)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Waits for SIGINT or SIGTERM (true), or for the server to end on its own (false).
bool AwaitStop(const sigset_t& signals, const std::atomic<bool>& ended) {
  const timespec tick{0, 200'000'000};
  while (!ended) {
    if (sigtimedwait(&signals, nullptr, &tick) >= 0) return true;
  }
  return false;
}

int Serve(const Options& options) {
  const sigset_t signals = TakeStopSignals();
  sim::Simulator simulator(ConfigFor(options));
  simulator.Bind(options.host, options.port);
  std::atomic<bool> ended = false;
  std::thread server([&simulator, &ended] {
    simulator.Run();
    ended = true;
  });
  AwaitRunning(simulator, ended);
  // The socket listens from Bind() on, so a client that reads this line can connect at once.
  std::cout << "listening on " << simulator.Url() << std::endl;
  const bool asked_to_stop = AwaitStop(signals, ended);
  simulator.Stop();
  server.join();
  return asked_to_stop ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const auto options = sim::ParseOptions(argc, argv);
    return options ? Serve(*options) : 0;
  } catch (const CLI::ParseError& e) {
    std::cerr << "orvulink-gateway: " << e.what() << "\n";
    return 2;
  } catch (const sim::OptionsError& e) {
    std::cerr << "orvulink-gateway: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "orvulink-gateway: " << e.what() << "\n";
    return 1;
  }
}
