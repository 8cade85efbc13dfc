// orvulink config show / set against a settings file, no gateway involved.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

class ConfigTest : public CliTest {};

TEST_F(ConfigTest, SetThenShowListsTheTenKeysInOrderWithPasswordsMasked) {
  const auto set = Cli({"config", "set", "UserName=demo", "Password=demo-password",
                        "UseAutomayicProxy=False", "VAPCode=ABCDEFGHIJ", "ProxyPassword=pp"});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  EXPECT_EQ(set.out, "");

  const auto shown = Cli({"config", "show"});
  EXPECT_EQ(shown.exit_status, 0) << shown.err;
  EXPECT_EQ(shown.out,
            "UserName=demo\n"
            "Password=********\n"
            "VAPCode=ABCDEFGHIJ\n"
            "TestMode=False\n"
            "encryptSSL=True\n"
            "UseAutomayicProxy=False\n"
            "Proxy=\n"
            "ProxyPort=\n"
            "PRoxyUsername=\n"
            "ProxyPassword=********\n");
  EXPECT_EQ(shown.err, "");
}

TEST_F(ConfigTest, JsonIsAnObjectKeyedByThePropertyBagKeys) {
  const auto set = Cli({"config", "set", "UserName=demo", "Password=secret", "TestMode=yes",
                        "ProxyPort=3128", "ProxyPassword=pp"});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  const auto shown = Cli({"--json", "config", "show"});
  ASSERT_EQ(shown.exit_status, 0) << shown.err;
  // Parsing the whole of stdout also proves that nothing but the document is there.
  const auto document = nlohmann::ordered_json::parse(shown.out);
  std::vector<std::string> keys;
  for (const auto& item : document.items())
    keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"UserName", "Password", "VAPCode", "TestMode",
                                            "encryptSSL", "UseAutomayicProxy", "Proxy", "ProxyPort",
                                            "PRoxyUsername", "ProxyPassword"}));
  EXPECT_EQ(document["UserName"], "demo");
  EXPECT_EQ(document["Password"], "********");
  EXPECT_EQ(document["VAPCode"], "");
  EXPECT_EQ(document["TestMode"], true);
  EXPECT_EQ(document["encryptSSL"], true);
  EXPECT_EQ(document["UseAutomayicProxy"], true);
  EXPECT_EQ(document["ProxyPort"], "3128");
  EXPECT_EQ(document["PRoxyUsername"], "");
  EXPECT_EQ(document["ProxyPassword"], "********");

  const auto revealed = Json::parse(Cli({"config", "show", "--reveal", "--json"}).out);
  EXPECT_EQ(revealed["Password"], "secret");
  EXPECT_EQ(revealed["ProxyPassword"], "pp");
}

TEST_F(ConfigTest, KeysMatchIgnoringCaseAndAreSavedAsTheBagSpellsThem) {
  const auto set = Cli({"config", "set", "username=Alice", "proxyusername=bob", "TESTMODE=on"});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  const std::string file = SettingsText();
  EXPECT_NE(file.find("UserName=Alice"), std::string::npos) << file;
  EXPECT_NE(file.find("PRoxyUsername=bob"), std::string::npos) << file;
  EXPECT_EQ(file.find("username="), std::string::npos) << file;
  const Json document = Json::parse(Cli({"--json", "config", "show"}).out);
  EXPECT_EQ(document["UserName"], "Alice");
  EXPECT_EQ(document["PRoxyUsername"], "bob");
  EXPECT_EQ(document["TestMode"], true);
}

TEST_F(ConfigTest, AnEmptyValueClearsASetting) {
  ASSERT_EQ(Cli({"config", "set", "UserName=demo", "Proxy=gw"}).exit_status, 0);
  ASSERT_EQ(Cli({"config", "set", "UserName=", "Proxy="}).exit_status, 0);
  const Json document = Json::parse(Cli({"--json", "config", "show"}).out);
  EXPECT_EQ(document["UserName"], "");
  EXPECT_EQ(document["Proxy"], "");
}

TEST_F(ConfigTest, ValueMayContainEqualsSigns) {
  ASSERT_EQ(Cli({"config", "set", "Password=a=b=c"}).exit_status, 0);
  EXPECT_EQ(Json::parse(Cli({"--json", "config", "show", "--reveal"}).out)["Password"], "a=b=c");
}

TEST_F(ConfigTest, SavedFileIsPrivate) {
  ASSERT_EQ(Cli({"config", "set", "Password=demo-password"}).exit_status, 0);
  struct stat info {};
  ASSERT_EQ(stat(settings_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ConfigTest, MissingFileShowsTheDefaults) {
  const auto shown = Cli({"--json", "config", "show"});
  ASSERT_EQ(shown.exit_status, 0) << shown.err;
  const Json document = Json::parse(shown.out);
  EXPECT_EQ(document["UserName"], "");
  EXPECT_EQ(document["TestMode"], false);
  EXPECT_EQ(document["encryptSSL"], true);
  EXPECT_EQ(document["UseAutomayicProxy"], true);
  EXPECT_FALSE(std::filesystem::exists(settings_path()));  // showing never writes
}

TEST_F(ConfigTest, SkippedLinesAreReportedOnStandardError) {
  WriteFile(settings_path(), "UserName=demo\nthis line holds no setting\nProxy=gw\n");
  const auto shown = Cli({"config", "show"});
  EXPECT_EQ(shown.exit_status, 0);
  EXPECT_NE(shown.err.find("warning: "), std::string::npos) << shown.err;
  EXPECT_NE(shown.err.find(":2: "), std::string::npos) << shown.err;
  EXPECT_NE(shown.out.find("UserName=demo\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("Proxy=gw\n"), std::string::npos) << shown.out;
}

struct BooleanCase {
  std::string name;
  std::string spelling;
  bool expected;
  friend void PrintTo(const BooleanCase& c, std::ostream* os) { *os << c.name; }
};

class BooleanSpellingTest : public CliTest, public testing::WithParamInterface<BooleanCase> {};

TEST_P(BooleanSpellingTest, SetsTheSwitch) {
  const auto& param = GetParam();
  // Start from the opposite value, so that a spelling that is ignored cannot pass.
  ASSERT_EQ(
      Cli({"config", "set", std::string("TestMode=") + (param.expected ? "0" : "1")}).exit_status,
      0);
  const auto set = Cli({"config", "set", "TestMode=" + param.spelling});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  EXPECT_EQ(Json::parse(Cli({"--json", "config", "show"}).out)["TestMode"], param.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, BooleanSpellingTest,
    testing::Values(BooleanCase{"true", "true", true}, BooleanCase{"True", "True", true},
                    BooleanCase{"yes", "YES", true}, BooleanCase{"on", "On", true},
                    BooleanCase{"one", "1", true}, BooleanCase{"false", "false", false},
                    BooleanCase{"no", "no", false}, BooleanCase{"off", "OFF", false},
                    BooleanCase{"zero", "0", false}),
    CaseName());

struct RejectedVapCase {
  std::string name;
  std::string code;
  friend void PrintTo(const RejectedVapCase& c, std::ostream* os) { *os << c.name; }
};

class RejectedVapCodeTest : public CliTest, public testing::WithParamInterface<RejectedVapCase> {};

TEST_P(RejectedVapCodeTest, FailsWithTheControlsMessageAndLeavesTheFile) {
  const std::string before = "UserName=before\n";
  WriteFile(settings_path(), before);
  const auto set = Cli({"config", "set", "UserName=after", "VAPCode=" + GetParam().code});
  EXPECT_EQ(set.exit_status, 1);
  EXPECT_EQ(set.err, "error 28384: SMS gateway: wrong VAP Code\n");
  EXPECT_EQ(set.out, "");
  EXPECT_EQ(SettingsText(), before);
}

INSTANTIATE_TEST_SUITE_P(Codes, RejectedVapCodeTest,
                         testing::Values(RejectedVapCase{"too_short", "ABCDEFGHI"},
                                         RejectedVapCase{"too_long", "ABCDEFGHIJK"},
                                         RejectedVapCase{"leading_space", " ABCDEFGHIJ"},
                                         RejectedVapCase{"inner_space", "ABCDE GHIJ"}),
                         CaseName());

TEST_F(ConfigTest, AcceptedVapCodesAreStored) {
  ASSERT_EQ(Cli({"config", "set", "vapcode=ABCDEFGHIJ"}).exit_status, 0);
  EXPECT_EQ(Json::parse(Cli({"--json", "config", "show"}).out)["VAPCode"], "ABCDEFGHIJ");
  ASSERT_EQ(Cli({"config", "set", "VAPCode="}).exit_status, 0);
  EXPECT_EQ(Json::parse(Cli({"--json", "config", "show"}).out)["VAPCode"], "");
}

struct DefaultPathCase {
  std::string name;
  std::optional<std::string> xdg;  // "/x" stands for the folder x inside the test folder
  std::string expected;            // inside the test folder
  friend void PrintTo(const DefaultPathCase& c, std::ostream* os) { *os << c.name; }
};

class DefaultSettingsPathTest : public CliTest,
                                public testing::WithParamInterface<DefaultPathCase> {};

TEST_P(DefaultSettingsPathTest, SettingsGoWhereTheEnvironmentSays) {
  const auto& param = GetParam();
  EnvironmentChanges changes;
  if (param.xdg) {
    const bool absolute = param.xdg->starts_with('/');
    changes["XDG_CONFIG_HOME"] = absolute ? dir_.path().string() + *param.xdg : *param.xdg;
  }
  const auto set = CliDefaultSettings({"config", "set", "UserName=here"}, changes);
  ASSERT_EQ(set.exit_status, 0) << set.err;
  const auto expected = dir_.path() / param.expected;
  EXPECT_NE(ReadFile(expected).find("UserName=here"), std::string::npos) << expected;
  const auto shown = CliDefaultSettings({"--json", "config", "show"}, changes);
  EXPECT_EQ(Json::parse(shown.out)["UserName"], "here");
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DefaultSettingsPathTest,
    testing::Values(DefaultPathCase{"xdg", "/xdg", "xdg/orvulink/settings.ini"},
                    DefaultPathCase{"home", std::nullopt, "home/.config/orvulink/settings.ini"},
                    DefaultPathCase{"empty_xdg", "", "home/.config/orvulink/settings.ini"},
                    DefaultPathCase{"relative_xdg", "xdg", "home/.config/orvulink/settings.ini"}),
    CaseName());

}  // namespace
}  // namespace orvulink::cli_test
