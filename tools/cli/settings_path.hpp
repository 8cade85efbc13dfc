// Where the settings file lives when --settings does not say.
#pragma once

#include <filesystem>

namespace orvulink::cli {

// $XDG_CONFIG_HOME/orvulink/settings.ini, or $HOME/.config/orvulink/settings.ini when
// XDG_CONFIG_HOME is unset, empty or relative (the XDG rules ignore a relative one). Throws a
// UsageError when neither variable gives a place.
std::filesystem::path DefaultSettingsPath();

}  // namespace orvulink::cli
