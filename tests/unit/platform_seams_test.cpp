#include "platform/clock.hpp"

#include <orvulink/platform.hpp>

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace orvulink::platform {
namespace {

class FakeClock final : public Clock {
 public:
  Date Now() override { return now; }
  void Sleep(std::chrono::milliseconds duration) override { slept.push_back(duration); }
  Date now{38737.6463541667};
  std::vector<std::chrono::milliseconds> slept;
};

TEST(ClockSeamTest, ShorthandsGoThroughTheInstalledClock) {
  auto fake = std::make_shared<FakeClock>();
  SetClock(fake);
  const Date now = Now();
  const std::u16string general = NowGeneral();
  SleepFor(std::chrono::seconds(5));
  SetClock(nullptr);
  EXPECT_EQ(now, fake->now);
  EXPECT_EQ(general, u"2006-01-20 15:30:45");
  EXPECT_EQ(fake->slept, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(5000)}));
}

TEST(ClockSeamTest, SetterReturnsThePreviousAndNullRestoresTheDefault) {
  const auto original = GetClock();
  ASSERT_NE(original, nullptr);
  auto fake = std::make_shared<FakeClock>();
  EXPECT_EQ(SetClock(fake), original);
  EXPECT_EQ(GetClock(), fake);
  EXPECT_EQ(SetClock(nullptr), fake);
  EXPECT_EQ(GetClock(), original);
}

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

class FakeOnlineCheck final : public OnlineCheck {
 public:
  bool IsOnline() override { return false; }
};

TEST(OnlineCheckSeamTest, SetterReturnsThePreviousAndNullRestoresTheDefault) {
  const auto original = GetOnlineCheck();
  ASSERT_NE(original, nullptr);
  auto fake = std::make_shared<FakeOnlineCheck>();
  EXPECT_EQ(SetOnlineCheck(fake), original);
  EXPECT_FALSE(GetOnlineCheck()->IsOnline());
  EXPECT_EQ(SetOnlineCheck(nullptr), fake);
  EXPECT_EQ(GetOnlineCheck(), original);
}

TEST(UserInterfaceTest, DefaultWritesDialogsToStandardError) {
  auto ui = GetUserInterface();
  ASSERT_NE(ui, nullptr);
  testing::internal::CaptureStderr();
  ui->MessageBox("Connection failed", "OrvuLink", MessageIcon::kCritical);
  ui->ShowAboutBox({"OrvuLink", "1.2.0", {"https://orvulink.example", "support@orvulink.example"}});
  ui->ShowHelpContents("/opt/orvulink/OrvuLink.chm");
  const std::string shown = testing::internal::GetCapturedStderr();
  for (const char* part : {"OrvuLink", "Connection failed", "1.2.0", "https://orvulink.example",
                           "support@orvulink.example", "/opt/orvulink/OrvuLink.chm"}) {
    EXPECT_NE(shown.find(part), std::string::npos) << part << " missing from:\n" << shown;
  }
}

class FakeUserInterface final : public UserInterface {
 public:
  void MessageBox(const BStr&, const BStr&, MessageIcon) override {}
  void ShowAboutBox(const AboutBox&) override {}
  void ShowHelpContents(const std::string&) override {}
};

TEST(UserInterfaceTest, SetterReturnsThePreviousAndNullRestoresTheDefault) {
  const auto original = GetUserInterface();
  auto fake = std::make_shared<FakeUserInterface>();
  EXPECT_EQ(SetUserInterface(fake), original);
  EXPECT_EQ(GetUserInterface(), fake);
  EXPECT_EQ(SetUserInterface(nullptr), fake);
  EXPECT_EQ(GetUserInterface(), original);
}

// A settings file in the temporary folder, removed at the end of the test.
class SettingsFile {
 public:
  explicit SettingsFile(const std::string& content) {
    std::string pattern = testing::TempDir() + "orvulink-settings-XXXXXX";
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

struct LookupCase {
  const char* valueName;
  std::int32_t status;
  const char* value;  // expected text; the untouched "unchanged" when not found
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
  const std::vector<LookupCase> cases = {
      {"InstallPath", 0, "/opt/orvulink"},
      {"installpath", 0, "/opt/orvulink"},
      {"OTHER", 0, "x=y"},
      {"Empty", 0, ""},
      {"Windows", 0, "C:\\Program Files\\OrvuLink"},
      {"city", 0, "Z\xC3\xBCrich"},
      {"Dup", 0, "first"},
      {"Hidden", 2, "unchanged"},
      {"Semicolon", 2, "unchanged"},
      {"no separator here", 2, "unchanged"},
      {"Missing", 2, "unchanged"},
  };
  auto settings = MakeFileSystemSettings(file.path());
  for (const auto& c : cases) {
    BStr value("unchanged");
    EXPECT_EQ(settings->ReadText("Software\\OrvuLink", c.valueName, value), c.status)
        << c.valueName;
    EXPECT_EQ(value.utf8(), c.value) << c.valueName;
  }
}

TEST(SystemSettingsTest, MissingFileIsNotFound) {
  auto settings = MakeFileSystemSettings(testing::TempDir() + "orvulink-no-such-file.conf");
  BStr value("unchanged");
  EXPECT_EQ(settings->ReadText("Software\\OrvuLink", "InstallPath", value), kSettingNotFound);
  EXPECT_EQ(value.utf8(), "unchanged");
}

TEST(SystemSettingsTest, SetterReturnsThePreviousAndNullRestoresTheDefault) {
  const auto original = GetSystemSettings();
  ASSERT_NE(original, nullptr);
  const SettingsFile file("InstallPath=/srv/orvulink\n");
  auto replacement = MakeFileSystemSettings(file.path());
  EXPECT_EQ(SetSystemSettings(replacement), original);
  BStr value;
  EXPECT_EQ(GetSystemSettings()->ReadText("Software\\OrvuLink", "InstallPath", value), 0);
  EXPECT_EQ(value.utf8(), "/srv/orvulink");
  EXPECT_EQ(SetSystemSettings(nullptr), replacement);
  EXPECT_EQ(GetSystemSettings(), original);
}

}  // namespace
}  // namespace orvulink::platform
