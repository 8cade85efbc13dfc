#include "settings_path.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "exit_codes.hpp"

namespace orvulink::cli {
namespace {

std::filesystem::path Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::filesystem::path() : std::filesystem::path(value);
}

std::filesystem::path SettingsFolder() {
  const std::filesystem::path xdg = Environment("XDG_CONFIG_HOME");
  if (xdg.is_absolute()) return xdg / "orvulink";
  const std::filesystem::path home = Environment("HOME");
  if (!home.empty()) return home / ".config" / "orvulink";
  throw UsageError("no settings file: neither XDG_CONFIG_HOME nor HOME is set; use --settings");
}

}  // namespace

std::filesystem::path DefaultSettingsPath() {
  return SettingsFolder() / "settings.ini";
}

std::filesystem::path ProfileSettingsPath(const std::string& profile) {
  // The name becomes a file name: nothing that could leave the folder or hide the file.
  const bool plain = !profile.empty() && profile.size() <= 64 && profile.front() != '.' &&
                     std::ranges::all_of(profile, [](unsigned char c) {
                       return std::isalnum(c) || c == '-' || c == '_' || c == '.';
                     });
  if (!plain) throw UsageError("a profile name is letters, digits, '-', '_' and '.'");
  return SettingsFolder() / "profiles" / (profile + ".ini");
}

}  // namespace orvulink::cli
