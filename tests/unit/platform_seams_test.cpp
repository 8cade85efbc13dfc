// The default clock, the settings lookup and the help file found through the installation folder.
#include "platform/clock.hpp"

#include <orvulink/platform.hpp>

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "gateway/system_settings.hpp"
#include "test_server.hpp"
#include "test_support.hpp"

namespace orvulink::platform {
namespace {

// Local time, in zones fourteen hours east and twelve west of UTC so that UTC cannot pass for
// either; TZ changes between the reads without a tzset(), as a host may change it.
TEST(ClockSeamTest, DefaultClockIsTheLocalWallClockOfTheCurrentZone) {
  const auto hourAt = [](int offsetHours) {
    const std::time_t shifted = std::time(nullptr) + offsetHours * 3600;
    std::tm t{};
    gmtime_r(&shifted, &t);
    return t.tm_mday * 24 + t.tm_hour;
  };
  const struct {
    const char* zone;
    int offsetHours;
  } zones[] = {{"ABC-14", 14}, {"XYZ+12", -12}, {"ABC-14", 14}};
  {
    orvulink::testing::ScopedEnvironment zone("TZ", std::nullopt);
    for (const auto& z : zones) {
      zone.Set(z.zone);
      const int before = hourAt(z.offsetHours);
      const DateParts parts = GetClock()->Now().ToParts();
      const int hour = parts.day * 24 + parts.hour;
      EXPECT_TRUE(hour == before || hour == hourAt(z.offsetHours)) << z.zone << " " << hour;
    }
  }
  tzset();
}

TEST(SystemSettingsTest, ReadsKeyValueLinesOfTheFile) {
  orvulink::testing::TempFolder folder;
  const std::string path = folder.path() / "settings.conf";
  std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBFInstallPath = /opt/orvulink \n"
                                           "# Hidden=comment\n[Software\\OrvuLink]\n\n"
                                           "Other=x=y\nCity=Z\xC3\xBCrich\r\nno separator here\n"
                                           "Dup=first\nDup=second\n";
  const struct {
    const char* valueName;
    std::int32_t status;
    const char* value;  // the untouched "unchanged" when not found
  } cases[] = {{"InstallPath", 0, "/opt/orvulink"},
               {"OTHER", 0, "x=y"},
               {"Dup", 0, "first"},
               {"Hidden", 2, "unchanged"}};
  for (const std::string& file : {path, path + ".missing"}) {
    auto settings = MakeFileSystemSettings(file);
    for (const auto& c : cases) {
      BStr value("unchanged");
      const bool exists = file == path;
      EXPECT_EQ(settings->ReadText("Software\\OrvuLink", c.valueName, value),
                exists ? c.status : kSettingNotFound)
          << c.valueName;
      EXPECT_EQ(value.utf8(), exists ? c.value : "unchanged") << c.valueName;
    }
  }
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
}

}  // namespace
}  // namespace orvulink::platform
