#include "environment_overrides.hpp"

#include <cstdlib>

#include "settings_rules.hpp"

namespace orvulink::cli {

void ApplyEnvironmentOverrides(OrvuLinkActiveX& control, const SettingsFile& settings) {
  if (const char* password = std::getenv("ORVULINK_PASSWORD"); password && *password) {
    control.Password(BStr(password));
  }
  const char* host = std::getenv("ORVULINK_GATEWAY_HOST");
  const std::optional<std::string> gateway = settings.Get(kGatewayKey);
  if ((host == nullptr || *host == '\0') && gateway && !gateway->empty()) {
    setenv("ORVULINK_GATEWAY_HOST", gateway->c_str(), 1);
  }
}

}  // namespace orvulink::cli
