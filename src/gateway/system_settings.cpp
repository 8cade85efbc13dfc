#include "gateway/system_settings.hpp"

#include "platform/text.hpp"

#include <orvulink/platform.hpp>

namespace orvulink::gateway {

std::int32_t ReadSetting(const std::string& key, const std::string& valueName,
                         const std::u16string& defaultValue, std::u16string& result) {
  // An empty default reads back as the number 0, i.e. the text "0".
  result = defaultValue.empty() ? std::u16string(u"0") : defaultValue;
  BStr value;
  const std::int32_t status = platform::GetSystemSettings()->ReadText(key, valueName, value);
  if (status != platform::kSettingFound) return status;
  result = value.str();
  return status;
}

std::string HelpFilePath() {
  std::u16string folder;
  ReadSetting(kSettingsKey, kInstallPathValue, u"", folder);
  return platform::Utf16ToUtf8(folder) + "/" + kHelpFileName;
}

void ShowHelpContents() {
  platform::GetUserInterface()->ShowHelpContents(HelpFilePath());
}

}  // namespace orvulink::gateway
