// Where the gateway lives: the built-in host, replaced by ORVULINK_GATEWAY_HOST (host[:port]).
#pragma once

#include <string>

namespace orvulink::gateway {

// The gateway host, read from the environment at each call.
std::u16string GatewayHost();
// The CGI address without scheme: host + "/cgi/orvusms_gw_plus.php".
std::u16string GatewayAddress();
// The probe page without scheme: host + "/update/neton.htm".
std::u16string ProbeAddress();

}  // namespace orvulink::gateway
