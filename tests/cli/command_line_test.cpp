// orvulink's command line: help, usage errors and their exit status, before any gateway.
#include <gtest/gtest.h>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

class CommandLineTest : public CliTest {};

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
// leaves the settings file exactly as it was.
TEST_P(UsageErrorTest, ExitsTwoAndTouchesNothing) {
  const std::string before = "UserName=before\n";
  WriteFile(settings_path(), before);
  const auto result = Cli(GetParam().arguments);
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
  EXPECT_EQ(SettingsText(), before);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, UsageErrorTest,
    testing::Values(
        UsageCase{"no_subcommand", {}, "subcommand is required"},
        UsageCase{"unknown_subcommand", {"transmogrify"}, "transmogrify"},
        UsageCase{"config_without_action", {"config"}, "show"},
        UsageCase{"unknown_option", {"credit", "--bogus"}, "--bogus"},
        UsageCase{"set_without_pairs", {"config", "set"}, "assignments"},
        UsageCase{"delete_without_order", {"delete"}, "ORDERID"},
        UsageCase{"unknown_key", {"config", "set", "Bogus=1"}, "unknown setting \"Bogus\""},
        UsageCase{"unknown_key_lists_keys",
                  {"config", "set", "Bogus=1"},
                  "UserName, Password, VAPCode, TestMode, encryptSSL, UseAutomayicProxy, "
                  "Proxy, ProxyPort, PRoxyUsername, ProxyPassword"},
        // The property name, not the stored key: only the stored keys are settings.
        UsageCase{"property_name_is_not_a_key", {"config", "set", "AutomaticProxy=1"}, "unknown"},
        UsageCase{
            "unknown_key_after_good_one", {"config", "set", "UserName=after", "Bogus=1"}, "Bogus"},
        UsageCase{"pair_without_equals", {"config", "set", "UserName"}, "KEY=VALUE"},
        UsageCase{"boolean_not_a_boolean", {"config", "set", "TestMode=maybe"}, "TestMode"},
        UsageCase{"boolean_empty", {"config", "set", "encryptSSL="}, "encryptSSL"}),
    CaseName());

TEST_F(CommandLineTest, UnreadableSettingsFileIsAnError) {
  // A folder where the file should be: it exists but cannot be read as a file.
  std::filesystem::create_directory(settings_path());
  const auto shown = Cli({"config", "show"});
  EXPECT_EQ(shown.exit_status, 1);
  EXPECT_EQ(shown.out, "");
  EXPECT_EQ(shown.err.rfind("error", 0), 0u) << shown.err;
}

}  // namespace
}  // namespace orvulink::cli_test
