// The routes a client of the gateway uses: the CGI and the connectivity probe page.
#pragma once

#include <httplib.h>

#include "sim/simulator_state.hpp"

namespace orvulink::sim {

inline constexpr char kCgiPath[] = "/cgi/orvusms_gw_plus.php";
inline constexpr char kProbePath[] = "/update/neton.htm";

void MountGatewayRoutes(httplib::Server& server, SimulatorState& state);

}  // namespace orvulink::sim
