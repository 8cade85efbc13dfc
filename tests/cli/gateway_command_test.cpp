// orvulink's gateway commands (test, credit, info, delete) against the simulator over HTTPS.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

constexpr char kAuthenticationError[] = "error 28375: SMS gateway: username/password error\n";

class GatewayCommandTest : public GatewayCliTest {};

TEST_F(GatewayCommandTest, CreditPrintsTheDemoAccountsCredit) {
  StartGateway();
  SaveSettings();
  const auto credit = Cli({"credit"});
  EXPECT_EQ(credit.exit_status, 0) << credit.err;
  EXPECT_EQ(credit.out, "150.5\n");
  EXPECT_EQ(credit.err, "");
}

TEST_F(GatewayCommandTest, CreditAsJson) {
  StartGateway();
  SaveSettings();
  const auto credit = Cli({"--json", "credit"});
  EXPECT_EQ(credit.exit_status, 0) << credit.err;
  EXPECT_EQ(Json::parse(credit.out), Json({{"GetCredit", 150.5}}));
}

TEST_F(GatewayCommandTest, WrongPasswordIsTheGatewaysAuthenticationError) {
  StartGateway();
  SaveSettings("not-the-password");
  for (const auto& arguments :
       {std::vector<std::string>{"credit"}, std::vector<std::string>{"--json", "credit"},
        std::vector<std::string>{"info"}, std::vector<std::string>{"delete", "ORD-1"}}) {
    const auto result = Cli(arguments);
    EXPECT_EQ(result.exit_status, 1) << arguments.back();
    EXPECT_EQ(result.err, kAuthenticationError) << arguments.back();
    EXPECT_EQ(result.out, "") << arguments.back();
  }
}

TEST_F(GatewayCommandTest, InfoWithoutCredentialsFailsBeforeAnyExchange) {
  // No simulator at all: the control refuses without asking the gateway.
  PointAtClosedPort();
  const auto info = Cli({"info"});
  EXPECT_EQ(info.exit_status, 1);
  EXPECT_EQ(info.err, kAuthenticationError);
}

TEST_F(GatewayCommandTest, CreditFromAGatewayThatIsNotThereFails) {
  SaveSettings();
  PointAtClosedPort();
  const auto credit = Cli({"credit"});
  EXPECT_EQ(credit.exit_status, 1);
  EXPECT_EQ(credit.err.rfind("error 28379: ", 0), 0u) << credit.err;
  EXPECT_EQ(credit.out, "");
}

struct InfoCase {
  std::string name;
  std::string accounts;  // fixture for the simulator
  Json expected;
  std::vector<std::string> lines;  // rows the human output must hold
  friend void PrintTo(const InfoCase& c, std::ostream* os) { *os << c.name; }
};

class InfoTest : public GatewayCliTest, public testing::WithParamInterface<InfoCase> {};

// Each case has a different flag off, so that a mixed-up pair cannot pass.
TEST_P(InfoTest, ReportsTheThreeEntitlements) {
  StartGateway({"--accounts", WriteAccounts(GetParam().accounts)});
  SaveSettings();
  const auto json = Cli({"--json", "info"});
  ASSERT_EQ(json.exit_status, 0) << json.err;
  EXPECT_EQ(Json::parse(json.out), GetParam().expected);
  const auto human = Cli({"info"});
  ASSERT_EQ(human.exit_status, 0) << human.err;
  for (const auto& line : GetParam().lines)
    EXPECT_NE(human.out.find(line + "\n"), std::string::npos) << human.out;
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, InfoTest,
    testing::Values(InfoCase{"no_status_queries",
                             R"({"accounts": [{"user": "demo", "password": "demo-password",
                                    "status_query": false, "abroad": true}]})",
                             {{"NotifyServer", 1}, {"NotifyUser", 0}, {"ForeignCountry", 1}},
                             {"Status service up: yes (1)", "Status queries allowed: no (0)",
                              "Sending abroad allowed: yes (1)"}},
                    InfoCase{"service_down_and_no_abroad",
                             R"({"status_service": false,
                     "accounts": [{"user": "demo", "password": "demo-password",
                                   "status_query": true, "abroad": false}]})",
                             {{"NotifyServer", 0}, {"NotifyUser", 1}, {"ForeignCountry", 0}},
                             {"Status service up: no (0)", "Status queries allowed: yes (1)",
                              "Sending abroad allowed: no (0)"}}),
    CaseName());

TEST_F(GatewayCommandTest, DeletePrintsTheGatewaysAnswer) {
  StartGateway({"--accounts", WriteAccounts(R"({"accounts": [{
      "user": "demo", "password": "demo-password",
      "orders": {"ORD-7": ["+393331111111", "+393332222222", "+393333333333"]}}]})")});
  SaveSettings();
  // One recipient, then the rest of the order, then nothing is left.
  const auto one = Cli({"delete", "ORD-7", "+393331111111"});
  EXPECT_EQ(one.exit_status, 0) << one.err;
  EXPECT_EQ(one.out, "1 deleted\n");
  const auto rest = Cli({"--json", "delete", "ORD-7"});
  EXPECT_EQ(rest.exit_status, 0) << rest.err;
  EXPECT_EQ(Json::parse(rest.out), Json({{"DelMessage", "2 deleted"}}));
  const auto none = Cli({"delete", "ORD-7"});
  EXPECT_EQ(none.out, "0 deleted\n");
}

struct VerdictCase {
  std::string name;
  std::optional<std::vector<std::string>> gateway;  // simulator arguments; none: nothing listens
  bool automatic_proxy;
  int verdict;
  std::string verdict_text;
  std::optional<int> error;  // ErrCode, when the case fixes it
  friend void PrintTo(const VerdictCase& c, std::ostream* os) { *os << c.name; }
};

class TestVerdictTest : public GatewayCliTest, public testing::WithParamInterface<VerdictCase> {
 protected:
  void SetUp() override {
    const auto& param = GetParam();
    if (param.gateway) {
      StartGateway(*param.gateway);
    } else {
      PointAtClosedPort();
    }
    SaveSettings("demo-password", param.automatic_proxy);
  }
};

TEST_P(TestVerdictTest, NamesTheVerdictAndExitsZeroOnlyWhenOk) {
  const auto& param = GetParam();
  const int expected_exit = param.verdict == 1 ? 0 : 1;

  const auto human = Cli({"test"});
  EXPECT_EQ(human.exit_status, expected_exit) << human.err;
  EXPECT_NE(human.out.find("Verdict: " + param.verdict_text + "\n"), std::string::npos)
      << human.out;
  EXPECT_NE(human.out.find("Meaning: "), std::string::npos) << human.out;
  // The control's error is shown only when there is one.
  if (param.error && *param.error != 0) {
    EXPECT_NE(human.out.find("ErrCode: " + std::to_string(*param.error) + "\n"), std::string::npos)
        << human.out;
  } else if (param.error) {
    EXPECT_EQ(human.out.find("ErrCode"), std::string::npos) << human.out;
  }

  const auto json = Cli({"test", "--json"});
  EXPECT_EQ(json.exit_status, expected_exit);
  const Json document = Json::parse(json.out);
  EXPECT_EQ(document["TestConnection"], param.verdict);
  if (param.error) {
    EXPECT_EQ(document["ErrCode"], *param.error);
  }
  EXPECT_TRUE(document["ErrDescription"].is_string());
  EXPECT_EQ(document.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Gateways, TestVerdictTest,
    testing::Values(
        VerdictCase{"ok", std::vector<std::string>{}, false, 1, "ORVULINK_TEST_OK (1)", 0},
        // The probe page is fetched first, then the gateway is asked.
        VerdictCase{"ok_after_probe", std::vector<std::string>{}, true, 1, "ORVULINK_TEST_OK (1)",
                    0},
        VerdictCase{"probe_not_found", std::vector<std::string>{"--fault", "probe:http=404"}, true,
                    -5, "ORVULINK_TEST_PROTOCOLSSL (-5)", 28379},
        VerdictCase{"probe_proxy_authentication",
                    std::vector<std::string>{"--fault", "probe:http=407"}, true, -3,
                    "ORVULINK_TEST_PROXY (-3)", 28379},
        VerdictCase{"probe_server_error", std::vector<std::string>{"--fault", "probe:http=500"},
                    true, -4, "ORVULINK_TEST_GATEWAY (-4)", 28379},
        VerdictCase{"gateway_server_error", std::vector<std::string>{"--fault", "cgi:http=503"},
                    false, -4, "ORVULINK_TEST_GATEWAY (-4)", 28379},
        // Without the probe an unanswered request records no cause.
        VerdictCase{"closed_port", std::nullopt, false, 0, "ORVULINK_TEST_GENERIC (0)",
                    std::nullopt},
        VerdictCase{"closed_port_probe", {}, true, -4, "ORVULINK_TEST_GATEWAY (-4)", 28379}),
    CaseName());

}  // namespace
}  // namespace orvulink::cli_test
