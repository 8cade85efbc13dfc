#include "settings_rules.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace orvulink::cli {
namespace {

constexpr std::array<std::string_view, 2> kHostKeys = {kGatewayKey, kDefaultCountryKey};

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::ranges::all_of(text, [](unsigned char c) { return std::isdigit(c); });
}

// A host name or address, then an optional port; no scheme or path, the component adds those.
std::string GatewayProblem(std::string_view value) {
  if (value.empty()) return {};  // none: the built-in gateway
  if (value.find('/') != std::string_view::npos)
    return "is host[:port], without a scheme or a path";
  const std::size_t colon = value.rfind(':');
  const std::string_view host = value.substr(0, colon);
  const bool host_ok = !host.empty() && std::ranges::all_of(host, [](unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == '[' || c == ']' || c == ':';
  });
  if (!host_ok) return "is host[:port], without a scheme or a path";
  if (colon == std::string_view::npos) return {};
  const std::string_view port = value.substr(colon + 1);
  if (!AllDigits(port) || port.size() > 5 || std::stoi(std::string(port)) > 65535 ||
      std::stoi(std::string(port)) == 0) {
    return "has a port that is not 1 to 65535";
  }
  return {};
}

std::string CountryProblem(std::string_view value) {
  if (value.starts_with('+')) value.remove_prefix(1);
  if (value.empty() || (AllDigits(value) && value.size() <= 3 && value.front() != '0')) return {};
  return "is a country calling code: 1 to 3 digits, not starting with 0 (39 for Italy)";
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

std::span<const std::string_view> HostSettingKeys() {
  return kHostKeys;
}

CheckedSetting CheckSetting(std::string_view name, std::string_view value) {
  CheckedSetting checked;
  // Blanks around a word are no part of it; a text (a password) keeps every character.
  const std::string_view word = Trimmed(value);
  checked.value = std::string(value);
  if (const SettingKey* key = FindSettingKey(name)) {
    checked.key = key->key;
    checked.kind = key->kind;
    if (key->kind != SettingKind::kBoolean) return checked;
    const auto flag = ParseBoolean(word);
    if (flag) {
      checked.value = *flag ? "True" : "False";
    } else {
      checked.problem = "is true or false (yes/no, on/off, 1/0), not \"" + checked.value + "\"";
    }
    return checked;
  }
  const auto* host = std::ranges::find_if(
      kHostKeys, [name](std::string_view key) { return EqualIgnoringCase(key, name); });
  if (host == kHostKeys.end()) return checked;
  checked.key = *host;
  checked.value = std::string(word);
  checked.problem = *host == kGatewayKey ? GatewayProblem(word) : CountryProblem(word);
  if (checked.key == kDefaultCountryKey && checked.value.starts_with('+')) {
    checked.value.erase(0, 1);
  }
  return checked;
}

std::string AllSettingKeys() {
  std::string list = SettingKeyList();
  for (const std::string_view key : kHostKeys)
    list += ", " + std::string(key);
  return list;
}

}  // namespace orvulink::cli
