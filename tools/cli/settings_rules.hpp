// What a settings line or a `config set` pair may say: one rule for both, so that the file
// accepts exactly what the command accepts. Besides the control's ten keys the file holds the
// settings of this host alone (Gateway, DefaultCountry), which the control never reads.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings_keys.hpp"

namespace orvulink::cli {

// This host's own settings.
inline constexpr std::string_view kGatewayKey = "Gateway";                // host[:port]
inline constexpr std::string_view kDefaultCountryKey = "DefaultCountry";  // 1-3 digits

std::span<const std::string_view> HostSettingKeys();

struct CheckedSetting {
  std::string_view key;  // the canonical spelling; empty for an unknown key
  SettingKind kind = SettingKind::kText;
  std::string value;    // as stored: booleans as True/False
  std::string problem;  // why the value is refused, never quoting a secret; "" when fine
};

// Judges `value` for the key spelled `name` (letter case ignored).
CheckedSetting CheckSetting(std::string_view name, std::string_view value);

// "UserName, Password, ..., Gateway, DefaultCountry" for messages.
std::string AllSettingKeys();

}  // namespace orvulink::cli
