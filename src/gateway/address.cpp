#include "gateway/address.hpp"

#include "platform/text.hpp"

#include <cstdlib>

namespace orvulink::gateway {

std::u16string GatewayHost() {
  // Read at each call, so a host or a test may point the component elsewhere at any time.
  const char* configured = std::getenv("ORVULINK_GATEWAY_HOST");
  if (configured != nullptr && *configured != '\0') return platform::Utf8ToUtf16(configured);
  return platform::Utf8ToUtf16(ORVULINK_DEFAULT_GATEWAY_HOST);
}

std::u16string GatewayAddress() {
  return GatewayHost() + u"/cgi/orvusms_gw_plus.php";
}

std::u16string ProbeAddress() {
  return GatewayHost() + u"/update/neton.htm";
}

}  // namespace orvulink::gateway
