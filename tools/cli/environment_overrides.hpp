// Settings the environment gives for one run, over those of the file: a password that should
// not sit in a file or on a command line, and the gateway of a test or a deployment.
#pragma once

#include <orvulink/control.hpp>

#include "settings_file.hpp"

namespace orvulink::cli {

// ORVULINK_PASSWORD replaces the saved password. The Gateway setting applies unless
// ORVULINK_GATEWAY_HOST is set, which the component reads at each command.
void ApplyEnvironmentOverrides(OrvuLinkActiveX& control, const SettingsFile& settings);

}  // namespace orvulink::cli
