// The ten persisted settings, under their property-bag keys, with the control's accessors.
#pragma once

#include <orvulink/control.hpp>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace orvulink::cli {

enum class SettingKind { kText, kSecret, kBoolean };

using SettingValue = std::variant<std::string, bool>;

struct SettingKey {
  std::string_view key;  // exactly as the property bag spells it
  SettingKind kind;
  SettingValue (*read)(const OrvuLinkActiveX& control);
  // Goes through the control's property setter, so its checks apply (the VAP code's).
  void (*write)(OrvuLinkActiveX& control, const SettingValue& value);
};

// In the order the control saves them.
std::span<const SettingKey> SettingKeys();

// The key whose name matches `name` ignoring letter case, or null.
const SettingKey* FindSettingKey(std::string_view name);

// "UserName, Password, ..." for messages.
std::string SettingKeyList();

// true/false, yes/no, on/off, 1/0 in any letter case; nothing for other text.
std::optional<bool> ParseBoolean(std::string_view text);

}  // namespace orvulink::cli
