#include "settings_keys.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace orvulink::cli {
namespace {

using Control = OrvuLinkActiveX;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// The property overloads are picked by the template parameters' types.
template <BStr (Control::*Get)() const, void (Control::*Put)(const BStr&)>
SettingKey Text(std::string_view key, SettingKind kind) {
  return {key, kind, [](const Control& c) -> SettingValue { return (c.*Get)().utf8(); },
          [](Control& c, const SettingValue& v) { (c.*Put)(BStr(std::get<std::string>(v))); }};
}

template <VariantBool (Control::*Get)() const, void (Control::*Put)(VariantBool)>
SettingKey Boolean(std::string_view key) {
  return {key, SettingKind::kBoolean,
          [](const Control& c) -> SettingValue { return (c.*Get)().IsTrue(); },
          [](Control& c, const SettingValue& v) { (c.*Put)(VariantBool(std::get<bool>(v))); }};
}

// Keys exactly as the control persists them, misspellings included.
const std::array<SettingKey, 10> kSettingKeys = {
    Text<&Control::UserName, &Control::UserName>("UserName", SettingKind::kText),
    Text<&Control::Password, &Control::Password>("Password", SettingKind::kSecret),
    Text<&Control::VAPcode, &Control::VAPcode>("VAPCode", SettingKind::kText),
    Boolean<&Control::TestMode, &Control::TestMode>("TestMode"),
    Boolean<&Control::EncryptSSL, &Control::EncryptSSL>("encryptSSL"),
    Boolean<&Control::AutomaticProxy, &Control::AutomaticProxy>("UseAutomayicProxy"),
    Text<&Control::Proxy, &Control::Proxy>("Proxy", SettingKind::kText),
    Text<&Control::ProxyPort, &Control::ProxyPort>("ProxyPort", SettingKind::kText),
    Text<&Control::ProxyUsername, &Control::ProxyUsername>("PRoxyUsername", SettingKind::kText),
    Text<&Control::ProxyPassword, &Control::ProxyPassword>("ProxyPassword", SettingKind::kSecret),
};

}  // namespace

std::span<const SettingKey> SettingKeys() {
  return kSettingKeys;
}

const SettingKey* FindSettingKey(std::string_view name) {
  const auto found = std::ranges::find_if(
      kSettingKeys, [name](const SettingKey& key) { return EqualIgnoringCase(key.key, name); });
  return found == kSettingKeys.end() ? nullptr : &*found;
}

std::string SettingKeyList() {
  std::string list;
  for (const auto& key : kSettingKeys) {
    if (!list.empty()) list += ", ";
    list += key.key;
  }
  return list;
}

std::optional<bool> ParseBoolean(std::string_view text) {
  static constexpr std::array<std::string_view, 4> kTrue = {"true", "yes", "on", "1"};
  static constexpr std::array<std::string_view, 4> kFalse = {"false", "no", "off", "0"};
  const auto matches = [text](std::string_view word) { return EqualIgnoringCase(word, text); };
  if (std::ranges::any_of(kTrue, matches)) return true;
  if (std::ranges::any_of(kFalse, matches)) return false;
  return std::nullopt;
}

}  // namespace orvulink::cli
