// Everything a running simulator keeps between requests.
#pragma once

#include <string>

#include "sim/accounts.hpp"
#include "sim/fault_board.hpp"
#include "sim/gateway.hpp"
#include "sim/pause.hpp"
#include "sim/request_log.hpp"

namespace orvulink::sim {

struct SimulatorState {
  SimulatorState(AccountFixture accounts, std::string serial)
      : gateway(std::move(accounts), std::move(serial)) {}

  // Faults, the request log and the accounts as loaded: a clean slate for the next test.
  void Reset() {
    faults.Clear();
    log.Clear();
    gateway.Reset();
  }

  Gateway gateway;
  RequestLog log;
  FaultBoard faults;
  Pause pause;
};

}  // namespace orvulink::sim
