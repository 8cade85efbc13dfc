// orvulink's own logic without a gateway: usage errors and their exit status, config show / set
// and where the settings file lives.
#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

// Every usage error exits 2, says why on stderr, prints nothing on stdout and leaves the
// settings as they were. The account is complete and nothing listens, so an error found only
// after an exchange would end otherwise.
TEST_F(CliTest, UsageErrorsExitTwoAndTouchNothing) {
  const std::string before = "UserName=demo\nPassword=demo-password\nUseAutomayicProxy=False\n";
  WriteFile(settings_path(), before);
  WriteFile(dir_ / "list.csv", "PhoneGsm,MessageText,Sender\n");
  WriteFile(dir_ / "list.txt", "ORD-1\n\nORD-2:+39 333\n");
  PointAtClosedPort();
  const std::string to = "+393331111111";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "subcommand is required"},
      {{"transmogrify"}, "transmogrify"},
      {{"credit", "--bogus"}, "--bogus"},
      {{"config", "set", "Bogus=1"},
       "UserName, Password, VAPCode, TestMode, encryptSSL, UseAutomayicProxy, Proxy, ProxyPort, "
       "PRoxyUsername, ProxyPassword"},
      {{"config", "set", "UserName=after", "Bogus=1"}, "Bogus"},
      {{"config", "set", "TestMode=maybe"}, "TestMode"},
      {{"send", "--to", to, "--sender", "ACME"}, "missing --text"},
      {{"send", "--to", to, "--text", "Hi", "--sender", "A", "--at", "2030-01-02"}, "HH:MM"},
      {{"send", "--file", "list.csv", "--to", to}, "excludes"},
      {{"status", "ORD-1", ":+39333"}, "argument 2: ':+39333': empty ORDERID"},
      {{"status", "--file", "list.txt"}, "list.txt:3: 'ORD-2:+39 333'"},
      {{"autoresponder", "K1"}, "TEXT is required"}};
  for (const auto& [arguments, message] : cases) {
    const auto result = Cli(arguments);
    EXPECT_EQ(result.exit_status, 2) << message;
    EXPECT_EQ(result.out, "") << message;
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(settings_path()), before) << message;
  }
}

TEST_F(CliTest, ConfigSetMatchesKeysIgnoringCaseAndShowMasksPasswords) {
  const auto set = Cli({"config", "set", "username=demo", "Password=a=b=c", "UseAutomayicProxy=no",
                        "vapcode=ABCDEFGHIJ", "ProxyPassword=pp", "proxyusername=bob"});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  EXPECT_NE(ReadFile(settings_path()).find("PRoxyUsername=bob"), std::string::npos);
  EXPECT_EQ(Cli({"config", "show"}).out,
            "UserName=demo\nPassword=********\nVAPCode=ABCDEFGHIJ\nTestMode=False\n"
            "encryptSSL=True\nUseAutomayicProxy=False\nProxy=\nProxyPort=\nPRoxyUsername=bob\n"
            "ProxyPassword=********\nGateway=\nDefaultCountry=\n");
  EXPECT_EQ(Json::parse(Cli({"--json", "config", "show"}).out)["ProxyPassword"], "********");
  EXPECT_EQ(nlohmann::ordered_json::parse(Cli({"config", "show", "--reveal", "--json"}).out),
            nlohmann::ordered_json::parse(R"({"UserName": "demo", "Password": "a=b=c",
              "VAPCode": "ABCDEFGHIJ", "TestMode": false, "encryptSSL": true,
              "UseAutomayicProxy": false, "Proxy": "", "ProxyPort": "", "PRoxyUsername": "bob",
              "ProxyPassword": "pp", "Gateway": "", "DefaultCountry": ""})"));
  // Each spelling from the opposite value, so that one that is ignored cannot pass.
  for (const auto& [spelling, value] : {std::pair{"YES", true}, {"no", false}, {"On", true}}) {
    ASSERT_EQ(Cli({"config", "set", std::string("TestMode=") + spelling, "UserName="}).exit_status,
              0);
    const Json document = Json::parse(Cli({"--json", "config", "show"}).out);
    EXPECT_EQ(document["TestMode"], value) << spelling;
    EXPECT_EQ(document["UserName"], "");
  }
  // The control's rules for a VAP code are its own tests'; here, how the command reports one.
  const std::string before = ReadFile(settings_path());
  const auto refused = Cli({"config", "set", "UserName=after", "VAPCode=ABCDEFGHI"});
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_EQ(refused.err, "error 28384: SMS gateway: wrong VAP Code\n");
  EXPECT_EQ(ReadFile(settings_path()), before);
}

TEST_F(CliTest, SettingsGoWhereTheEnvironmentSays) {
  const std::pair<const char*, std::string> cases[] = {
      {"xdg", "xdg/orvulink/settings.ini"},
      {nullptr, "home/.config/orvulink/settings.ini"},
      {"", "home/.config/orvulink/settings.ini"}};  // not absolute: ignored
  for (const auto& [xdg, expected] : cases) {
    if (xdg) setenv("XDG_CONFIG_HOME", (*xdg ? (dir_ / xdg).string() : "relative").c_str(), 1);
    if (!xdg) unsetenv("XDG_CONFIG_HOME");
    const std::string user = "UserName=" + expected + std::to_string(xdg != nullptr);
    ASSERT_EQ(Cli({"config", "set", user}, true).exit_status, 0) << expected;
    EXPECT_NE(ReadFile(dir_ / expected).find(user), std::string::npos) << expected;
    EXPECT_NE(Cli({"config", "show"}, true).out.find(user), std::string::npos) << expected;
  }
}

}  // namespace
}  // namespace orvulink::cli_test
