#include "sim/simulator_thread.hpp"

#include <chrono>
#include <stdexcept>

namespace orvulink::sim {
namespace {

// httplib 0.11 cannot tell when it accepts; poll, with a bound only so a broken server fails
// the test instead of hanging it.
void AwaitRunning(const Simulator& simulator) {
  using namespace std::chrono_literals;
  const auto give_up = std::chrono::steady_clock::now() + 30s;
  while (!simulator.IsRunning()) {
    if (std::chrono::steady_clock::now() > give_up) {
      throw std::runtime_error("the simulator did not start serving");
    }
    std::this_thread::sleep_for(1ms);
  }
}

}  // namespace

SimulatorThread::SimulatorThread(SimulatorConfig config, const std::string& host)
    : simulator_(std::move(config)), port_(simulator_.Bind(host, 0)) {
  thread_ = std::thread([this] { simulator_.Run(); });
  try {
    AwaitRunning(simulator_);
  } catch (...) {
    simulator_.Stop();
    thread_.join();
    throw;
  }
}

SimulatorThread::~SimulatorThread() {
  simulator_.Stop();
  if (thread_.joinable()) thread_.join();
}

}  // namespace orvulink::sim
