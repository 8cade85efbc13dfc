#include <gtest/gtest.h>

#include "gateway/system_settings.hpp"
#include "test_support.hpp"

namespace orvulink::gateway {
namespace {

TEST(InstallFolder, HelpOpensTheFileInTheInstallationFolder) {
  auto settings = std::make_shared<testing::MapSystemSettings>();
  settings->values["InstallPath"] = "/opt/orvulink";
  auto ui = std::make_shared<testing::RecordingUserInterface>();
  testing::ScopedSystemSettings scopedSettings(settings);
  testing::ScopedUserInterface scopedUi(ui);
  ShowHelpContents();
  ASSERT_EQ(ui->helpFiles.size(), 1u);
  EXPECT_EQ(ui->helpFiles[0], "/opt/orvulink/OrvuLink.chm");
}

TEST(InstallFolder, AMissingValueReadsAsZero) {
  auto ui = std::make_shared<testing::RecordingUserInterface>();
  testing::ScopedSystemSettings scopedSettings(std::make_shared<testing::MapSystemSettings>());
  testing::ScopedUserInterface scopedUi(ui);
  ShowHelpContents();
  ASSERT_EQ(ui->helpFiles.size(), 1u);
  EXPECT_EQ(ui->helpFiles[0], "0/OrvuLink.chm");
}

TEST(InstallFolder, ReadSettingReportsTheStatusAndKeepsTheDefault) {
  auto settings = std::make_shared<testing::MapSystemSettings>();
  testing::ScopedSystemSettings scoped(settings);
  std::u16string result;
  EXPECT_EQ(ReadSetting(kSettingsKey, "Missing", u"fallback", result), platform::kSettingNotFound);
  EXPECT_EQ(result, u"fallback");
  settings->values["Present"] = "value";
  EXPECT_EQ(ReadSetting(kSettingsKey, "Present", u"", result), platform::kSettingFound);
  EXPECT_EQ(result, u"value");
}

}  // namespace
}  // namespace orvulink::gateway
