// Where the settings file lives when --settings does not say.
#pragma once

#include <filesystem>
#include <string>

namespace orvulink::cli {

// $XDG_CONFIG_HOME/orvulink/settings.ini, or $HOME/.config/orvulink/settings.ini when
// XDG_CONFIG_HOME is unset, empty or relative (the XDG rules ignore a relative one): the
// default profile. Throws a UsageError when neither variable gives a place.
std::filesystem::path DefaultSettingsPath();

// The settings of profile `profile`: profiles/NAME.ini in the same folder. Throws a UsageError
// for a name that is not a plain file name.
std::filesystem::path ProfileSettingsPath(const std::string& profile);

}  // namespace orvulink::cli
