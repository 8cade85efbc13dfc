// The installation-folder lookup and the help contents.
#pragma once

#include <orvulink/automation.hpp>

#include <cstdint>
#include <string>

namespace orvulink::gateway {

inline constexpr const char* kSettingsKey = "Software\\OrvuLink";
inline constexpr const char* kInstallPathValue = "InstallPath";
inline constexpr const char* kHelpFileName = "OrvuLink.chm";

// Reads a text value; the result starts as the default, or "0" when the default is "".
// Returns the lookup's status (0 on success).
std::int32_t ReadSetting(const std::string& key, const std::string& valueName,
                         const std::u16string& defaultValue, std::u16string& result);

// The help file: installation folder + "/OrvuLink.chm".
std::string HelpFilePath();
// Opens the help file's table of contents through the user-interface seam.
void ShowHelpContents();

}  // namespace orvulink::gateway
