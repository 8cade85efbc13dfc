#include "settings_path.hpp"

#include <algorithm>
#include <cctype>

#include "exit_codes.hpp"
#include "user_folders.hpp"

namespace orvulink::cli {
namespace {

std::filesystem::path SettingsFolder() {
  const std::filesystem::path config = XdgFolder("XDG_CONFIG_HOME", ".config");
  if (config.empty())
    throw UsageError("no settings file: neither XDG_CONFIG_HOME nor HOME is set; use --settings");
  return config / "orvulink";
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
