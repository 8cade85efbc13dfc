// orvulink's command line before any gateway: help, usage errors and their exit status, and
// config show / set against a settings file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

class CommandLineTest : public CliTest {
 protected:
  Json Shown() { return Json::parse(Cli({"--json", "config", "show"}).out); }
};

TEST_F(CommandLineTest, HelpNamesTheSubcommandsAndTheEnvironment) {
  const auto help = Cli({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* word : {"config", "test", "credit", "info", "delete", "--json", "--settings",
                           "ORVULINK_GATEWAY_HOST", "ORVULINK_CA_FILE"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
}

struct UsageCase {
  std::string name;
  std::vector<std::string> arguments;
  std::string message;  // part of what standard error must say
  friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }
};

class UsageErrorTest : public CliTest, public testing::WithParamInterface<UsageCase> {};

// Every usage error exits 2, says why on standard error, prints nothing on standard output and
// leaves the settings file as it was. The account is complete and nothing listens, so an error
// found only after an exchange would end otherwise.
TEST_P(UsageErrorTest, ExitsTwoAndTouchesNothing) {
  const std::string before = "UserName=demo\nPassword=demo-password\nUseAutomayicProxy=False\n";
  WriteFile(settings_path(), before);
  WriteFile(dir_.path() / "list.csv", "PhoneGsm,MessageText,Sender\n");
  WriteFile(dir_.path() / "list.txt", "ORD-1\n\nORD-2:+39 333\n");
  environment_["ORVULINK_GATEWAY_HOST"] = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  const auto result = Cli(GetParam().arguments);
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
  EXPECT_EQ(SettingsText(), before);
}

constexpr char kTo[] = "+393331111111";

INSTANTIATE_TEST_SUITE_P(
    CommandLines, UsageErrorTest,
    testing::Values(
        UsageCase{"no_subcommand", {}, "subcommand is required"},
        UsageCase{"unknown_subcommand", {"transmogrify"}, "transmogrify"},
        UsageCase{"unknown_option", {"credit", "--bogus"}, "--bogus"},
        UsageCase{"unknown_key_lists_keys",
                  {"config", "set", "Bogus=1"},
                  "UserName, Password, VAPCode, TestMode, encryptSSL, UseAutomayicProxy, "
                  "Proxy, ProxyPort, PRoxyUsername, ProxyPassword"},
        // The property name, not the stored key: only the stored keys are settings.
        UsageCase{"property_name_is_not_a_key", {"config", "set", "AutomaticProxy=1"}, "unknown"},
        UsageCase{
            "unknown_key_after_good_one", {"config", "set", "UserName=after", "Bogus=1"}, "Bogus"},
        UsageCase{"boolean_not_a_boolean", {"config", "set", "TestMode=maybe"}, "TestMode"},
        UsageCase{"send_missing_text", {"send", "--to", kTo, "--sender", "ACME"}, "missing --text"},
        UsageCase{"send_bad_at",
                  {"send", "--to", kTo, "--text", "Hi", "--sender", "ACME", "--at", "2030-01-02"},
                  "YYYY-MM-DD HH:MM"},
        UsageCase{"send_file_and_to", {"send", "--file", "list.csv", "--to", kTo}, "excludes"},
        UsageCase{"status_empty_order_id",
                  {"status", "ORD-1", ":+393331111111"},
                  "argument 2: ':+393331111111': empty ORDERID"},
        UsageCase{"status_bad_line_in_file",
                  {"status", "--file", "list.txt"},
                  "list.txt:3: 'ORD-2:+39 333'"},
        UsageCase{"autoresponder_without_text", {"autoresponder", "K1"}, "TEXT is required"}),
    CaseName());

TEST_F(CommandLineTest, UnreadableSettingsFileIsAnError) {
  // A folder where the file should be: it exists but cannot be read as a file.
  std::filesystem::create_directory(settings_path());
  const auto shown = Cli({"config", "show"});
  EXPECT_EQ(shown.exit_status, 1);
  EXPECT_EQ(shown.out, "");
  EXPECT_EQ(shown.err.rfind("error", 0), 0u) << shown.err;
}

// ---- config show / set --------------------------------------------------------------------

TEST_F(CommandLineTest, SetThenShowListsTheTenKeysInOrderWithPasswordsMasked) {
  const auto set = Cli({"config", "set", "UserName=demo", "Password=a=b=c",
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
  // A value may itself hold equals signs.
  EXPECT_EQ(Json::parse(Cli({"--json", "config", "show", "--reveal"}).out)["Password"], "a=b=c");
}

TEST_F(CommandLineTest, JsonIsAnObjectKeyedByThePropertyBagKeys) {
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
  EXPECT_EQ(document["TestMode"], true);
  EXPECT_EQ(document["ProxyPort"], "3128");
  EXPECT_EQ(document["ProxyPassword"], "********");

  const auto revealed = Json::parse(Cli({"config", "show", "--reveal", "--json"}).out);
  EXPECT_EQ(revealed["Password"], "secret");
  EXPECT_EQ(revealed["ProxyPassword"], "pp");
}

TEST_F(CommandLineTest, KeysMatchIgnoringCaseAndAreSavedAsTheBagSpellsThem) {
  const auto set = Cli({"config", "set", "username=Alice", "proxyusername=bob", "TESTMODE=on",
                        "vapcode=ABCDEFGHIJ", "Proxy=gw"});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  const std::string file = SettingsText();
  EXPECT_NE(file.find("UserName=Alice"), std::string::npos) << file;
  EXPECT_NE(file.find("PRoxyUsername=bob"), std::string::npos) << file;
  EXPECT_EQ(file.find("username="), std::string::npos) << file;
  const Json document = Shown();
  EXPECT_EQ(document["UserName"], "Alice");
  EXPECT_EQ(document["PRoxyUsername"], "bob");
  EXPECT_EQ(document["TestMode"], true);
  EXPECT_EQ(document["VAPCode"], "ABCDEFGHIJ");

  // An empty value clears a setting.
  ASSERT_EQ(Cli({"config", "set", "UserName=", "Proxy=", "VAPCode="}).exit_status, 0);
  const Json cleared = Shown();
  EXPECT_EQ(cleared["UserName"], "");
  EXPECT_EQ(cleared["Proxy"], "");
  EXPECT_EQ(cleared["VAPCode"], "");
}

TEST_F(CommandLineTest, EveryBooleanSpellingSetsTheSwitch) {
  const std::pair<const char*, bool> spellings[] = {
      {"YES", true}, {"On", true}, {"no", false}, {"OFF", false}};
  for (const auto& [spelling, expected] : spellings) {
    // Start from the opposite value, so that a spelling that is ignored cannot pass.
    ASSERT_EQ(Cli({"config", "set", std::string("TestMode=") + (expected ? "0" : "1")}).exit_status,
              0);
    const auto set = Cli({"config", "set", std::string("TestMode=") + spelling});
    ASSERT_EQ(set.exit_status, 0) << spelling << ": " << set.err;
    EXPECT_EQ(Shown()["TestMode"], expected) << spelling;
  }
}

// The control's rules for a VAP code are its own tests'; here, how the command reports one.
TEST_F(CommandLineTest, ARejectedVapCodeFailsWithTheControlsMessageAndLeavesTheFile) {
  const std::string before = "UserName=before\n";
  WriteFile(settings_path(), before);
  const auto set = Cli({"config", "set", "UserName=after", "VAPCode=ABCDEFGHI"});
  EXPECT_EQ(set.exit_status, 1);
  EXPECT_EQ(set.err, "error 28384: SMS gateway: wrong VAP Code\n");
  EXPECT_EQ(set.out, "");
  EXPECT_EQ(SettingsText(), before);
}

TEST_F(CommandLineTest, SettingsGoWhereTheEnvironmentSays) {
  const struct {
    std::optional<std::string> xdg;  // "/x" stands for the folder x inside the test folder
    std::string expected;            // inside the test folder
  } cases[] = {{"/xdg", "xdg/orvulink/settings.ini"},
               {std::nullopt, "home/.config/orvulink/settings.ini"},
               {"xdg", "home/.config/orvulink/settings.ini"}};
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xdg.value_or("unset"));
    EnvironmentChanges changes;
    if (c.xdg) {
      changes["XDG_CONFIG_HOME"] = c.xdg->starts_with('/') ? dir_.path().string() + *c.xdg : *c.xdg;
    }
    const std::string name = "user" + std::to_string(++index);  // a value of its own per case
    const std::string user = "UserName=" + name;
    const auto set = CliDefaultSettings({"config", "set", user}, changes);
    ASSERT_EQ(set.exit_status, 0) << set.err;
    const auto expected = dir_.path() / c.expected;
    EXPECT_NE(ReadFile(expected).find(user), std::string::npos) << expected;
    const auto shown = CliDefaultSettings({"--json", "config", "show"}, changes);
    EXPECT_EQ(Json::parse(shown.out)["UserName"], name);
  }
}

}  // namespace
}  // namespace orvulink::cli_test
