// The platform seams: the default clock, the settings lookup and the help file found through the
// installation folder.
#include "platform/clock.hpp"

#include <orvulink/platform.hpp>

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "fake_network.hpp"
#include "gateway/system_settings.hpp"
#include "test_support.hpp"

namespace orvulink::platform {
namespace {

Date LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Date::FromParts({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec});
}

TEST(ClockSeamTest, DefaultClockIsTheLocalWallClockInWholeSeconds) {
  const Date before = LocalNow();
  const Date now = GetClock()->Now();
  const Date after = LocalNow();
  EXPECT_GE(now.value, before.value);
  EXPECT_LE(now.value, after.value);
  EXPECT_EQ(Date::FromParts(now.ToParts()), now);
}

// A settings file in the temporary folder, removed at the end of the test.
class SettingsFile {
 public:
  explicit SettingsFile(const std::string& content) {
    std::string pattern = ::testing::TempDir() + "orvulink-settings-XXXXXX";
    const int fd = mkstemp(pattern.data());
    EXPECT_GE(fd, 0);
    if (fd >= 0) close(fd);
    path_ = pattern;
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~SettingsFile() { std::remove(path_.c_str()); }
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(SystemSettingsTest, ReadsKeyValueLinesOfTheFile) {
  const SettingsFile file(
      "\xEF\xBB\xBFInstallPath = /opt/orvulink \n"
      "# Hidden=comment\n"
      "; Semicolon=comment\n"
      "[Software\\OrvuLink]\n"
      "\n"
      "   \t\n"
      "Other=x=y\n"
      "Empty=\n"
      "Windows=C:\\Program Files\\OrvuLink\r\n"
      "City=Z\xC3\xBCrich\n"
      "no separator here\n"
      "Dup=first\n"
      "Dup=second\n");
  const struct {
    const char* valueName;
    std::int32_t status;
    const char* value;  // expected text; the untouched "unchanged" when not found
  } cases[] = {
      {"InstallPath", 0, "/opt/orvulink"}, {"OTHER", 0, "x=y"},
      {"city", 0, "Z\xC3\xBCrich"},        {"Dup", 0, "first"},
      {"Hidden", 2, "unchanged"},          {"Missing", 2, "unchanged"},
  };
  auto settings = MakeFileSystemSettings(file.path());
  for (const auto& c : cases) {
    BStr value("unchanged");
    EXPECT_EQ(settings->ReadText("Software\\OrvuLink", c.valueName, value), c.status)
        << c.valueName;
    EXPECT_EQ(value.utf8(), c.value) << c.valueName;
  }
  auto missing = MakeFileSystemSettings(::testing::TempDir() + "orvulink-no-such-file.conf");
  BStr value("unchanged");
  EXPECT_EQ(missing->ReadText("Software\\OrvuLink", "InstallPath", value), kSettingNotFound);
  EXPECT_EQ(value.utf8(), "unchanged");
}

TEST(SystemSettingsTest, HelpOpensTheFileInTheInstallationFolderOrInZero) {
  auto settings = std::make_shared<orvulink::testing::MapSystemSettings>();
  auto ui = std::make_shared<orvulink::testing::RecordingUserInterface>();
  orvulink::testing::ScopedSystemSettings scopedSettings(settings);
  orvulink::testing::ScopedUserInterface scopedUi(ui);
  gateway::ShowHelpContents();  // a missing value reads as zero
  settings->values["InstallPath"] = "/opt/orvulink";
  gateway::ShowHelpContents();
  EXPECT_EQ(ui->helpFiles,
            (std::vector<std::string>{"0/OrvuLink.chm", "/opt/orvulink/OrvuLink.chm"}));

  std::u16string result;
  EXPECT_EQ(gateway::ReadSetting(gateway::kSettingsKey, "Missing", u"fallback", result),
            kSettingNotFound);
  EXPECT_EQ(result, u"fallback");
  EXPECT_EQ(gateway::ReadSetting(gateway::kSettingsKey, "InstallPath", u"", result), kSettingFound);
  EXPECT_EQ(result, u"/opt/orvulink");
}

}  // namespace
}  // namespace orvulink::platform
