// The control endpoint tests use to steer the simulator: faults, reset, what was received.
#pragma once

#include <httplib.h>

#include "sim/simulator_state.hpp"

namespace orvulink::sim {

// POST /control/fault, GET /control/faults, POST /control/reset, GET /control/requests,
// GET /control/probes, GET /control/accounts, POST /control/advance (simulated time),
// POST /control/settle (every delivery to its final state), POST /control/receive (an SMS
// arrives on a key). Only loopback peers are served.
void MountControlEndpoint(httplib::Server& server, SimulatorState& state);

}  // namespace orvulink::sim
