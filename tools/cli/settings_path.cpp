#include "settings_path.hpp"

#include <cstdlib>

#include "exit_codes.hpp"

namespace orvulink::cli {
namespace {

std::filesystem::path Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::filesystem::path() : std::filesystem::path(value);
}

}  // namespace

std::filesystem::path DefaultSettingsPath() {
  const std::filesystem::path xdg = Environment("XDG_CONFIG_HOME");
  if (xdg.is_absolute()) return xdg / "orvulink" / "settings.ini";
  const std::filesystem::path home = Environment("HOME");
  if (!home.empty()) return home / ".config" / "orvulink" / "settings.ini";
  throw UsageError("no settings file: neither XDG_CONFIG_HOME nor HOME is set; use --settings");
}

}  // namespace orvulink::cli
