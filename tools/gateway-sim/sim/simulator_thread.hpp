// A simulator serving on its own thread for the life of a scope: tests start one per case.
#pragma once

#include <string>
#include <thread>

#include "sim/simulator.hpp"

namespace orvulink::sim {

class SimulatorThread {
 public:
  // Binds, starts serving and returns once the server accepts connections.
  explicit SimulatorThread(SimulatorConfig config = {}, const std::string& host = "127.0.0.1");
  // Stops the server and joins its thread, whatever the test did.
  ~SimulatorThread();
  SimulatorThread(const SimulatorThread&) = delete;
  SimulatorThread& operator=(const SimulatorThread&) = delete;

  Simulator& simulator() noexcept { return simulator_; }
  SimulatorState& state() noexcept { return simulator_.state(); }
  int port() const noexcept { return port_; }
  std::string Url() const { return simulator_.Url(); }

 private:
  Simulator simulator_;
  int port_;
  std::thread thread_;
};

}  // namespace orvulink::sim
