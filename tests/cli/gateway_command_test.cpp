// orvulink's gateway commands (test, credit, info, delete, keys, receive, autoresponder) against
// the simulator over HTTPS.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

constexpr char kAuthenticationError[] = "error 28375: SMS gateway: username/password error\n";

class GatewayCommandTest : public SharedGatewayTest {
 protected:
  Completed Ok(const std::vector<std::string>& arguments) {
    auto result = Cli(arguments);
    EXPECT_EQ(result.exit_status, 0) << result.err;
    return result;
  }
};

TEST_F(GatewayCommandTest, CreditPrintsTheDemoAccountsCredit) {
  const auto credit = Ok({"credit"});
  EXPECT_EQ(credit.out, "150.5\n");
  EXPECT_EQ(credit.err, "");
  EXPECT_EQ(Json::parse(Ok({"--json", "credit"}).out), Json({{"GetCredit", 150.5}}));
}

TEST_F(GatewayCommandTest, WrongPasswordIsTheGatewaysAuthenticationError) {
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

TEST_F(GatewayCliTest, NoGatewayOrNoCredentialsFail) {
  // Nothing listens. Without credentials the control refuses before asking the gateway.
  PointAtClosedPort();
  const auto info = Cli({"info"});
  EXPECT_EQ(info.exit_status, 1);
  EXPECT_EQ(info.err, kAuthenticationError);
  SaveSettings();
  const auto credit = Cli({"credit"});
  EXPECT_EQ(credit.exit_status, 1);
  EXPECT_EQ(credit.err.rfind("error 28379: ", 0), 0u) << credit.err;
  EXPECT_EQ(credit.out, "");
}

// Each account has a different flag off, so that a mixed-up pair cannot pass.
TEST_F(GatewayCliTest, InfoReportsTheThreeEntitlements) {
  const struct {
    std::string accounts;  // fixture for the simulator
    Json expected;
    std::vector<std::string> lines;  // rows the human output must hold
  } cases[] = {
      {R"({"accounts": [{"user": "demo", "password": "demo-password",
             "status_query": false, "abroad": true}]})",
       {{"NotifyServer", 1}, {"NotifyUser", 0}, {"ForeignCountry", 1}},
       {"Status service up: yes (1)", "Status queries allowed: no (0)",
        "Sending abroad allowed: yes (1)"}},
      {R"({"status_service": false, "accounts": [{"user": "demo", "password": "demo-password",
             "status_query": true, "abroad": false}]})",
       {{"NotifyServer", 0}, {"NotifyUser", 1}, {"ForeignCountry", 0}},
       {"Status service up: no (0)", "Status queries allowed: yes (1)",
        "Sending abroad allowed: no (0)"}},
  };
  for (const auto& c : cases) {
    StartGateway({"--accounts", WriteAccounts(c.accounts)});
    SaveSettings();
    const auto json = Cli({"--json", "info"});
    ASSERT_EQ(json.exit_status, 0) << json.err;
    EXPECT_EQ(Json::parse(json.out), c.expected);
    const auto human = Cli({"info"});
    ASSERT_EQ(human.exit_status, 0) << human.err;
    for (const auto& line : c.lines)
      EXPECT_NE(human.out.find(line + "\n"), std::string::npos) << human.out;
  }
}

TEST_F(GatewayCommandTest, DeletePrintsTheGatewaysAnswer) {
  // One recipient, then the rest of the order, then nothing is left.
  EXPECT_EQ(Ok({"delete", "ORD-7", "+393331111111"}).out, "1 deleted\n");
  EXPECT_EQ(Json::parse(Ok({"--json", "delete", "ORD-7"}).out),
            Json({{"DelMessage", "2 deleted"}}));
  EXPECT_EQ(Ok({"delete", "ORD-7"}).out, "0 deleted\n");
}

struct VerdictCase {
  std::string name;
  std::optional<std::string> fault;  // the simulator's JSON form, "" for none; nullopt: no gateway
  bool automatic_proxy;
  int verdict;
  std::string verdict_text;
  std::optional<int> error;  // ErrCode, when the case fixes it
  friend void PrintTo(const VerdictCase& c, std::ostream* os) { *os << c.name; }
};

class TestVerdictTest : public SharedGatewayTest,
                        public testing::WithParamInterface<VerdictCase> {};

// The mapping of each failure to a verdict is the integration tests'; here, how it is shown.
TEST_P(TestVerdictTest, NamesTheVerdictAndExitsZeroOnlyWhenOk) {
  const auto& param = GetParam();
  if (param.fault && !param.fault->empty()) AddFault(*param.fault);
  if (!param.fault) PointAtClosedPort();
  SaveSettings("demo-password", param.automatic_proxy);
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
    testing::Values(VerdictCase{"ok", "", false, 1, "ORVULINK_TEST_OK (1)", 0},
                    VerdictCase{"probe_not_found",
                                R"({"target": "probe", "kind": "http", "status": 404})", true, -5,
                                "ORVULINK_TEST_PROTOCOLSSL (-5)", 28379},
                    // Without the probe an unanswered request records no cause.
                    VerdictCase{"closed_port", std::nullopt, false, 0, "ORVULINK_TEST_GENERIC (0)",
                                std::nullopt}),
    CaseName());

// ---- reception ------------------------------------------------------------------------------

TEST_F(GatewayCommandTest, KeysListsRepliesAndWaitingCounts) {
  EXPECT_EQ(Ok({"keys"}).out,
            "K1\tBack on Monday\t2\n"
            "K2\tHello\t0\n"
            "OLD\tMessage received, thank you\t0\n");
  const Json keys = Json::parse(Ok({"--json", "keys"}).out);
  EXPECT_EQ(keys["ReceptionKeys"][0], (Json{{"KeyReceived", "K1"},
                                            {"TextAutoResponder", "Back on Monday"},
                                            {"MessageFromRecive", 2}}));
  EXPECT_EQ(keys["ReceptionKeys"].size(), 3u);
}

TEST_F(GatewayCommandTest, ReceiveDownloadsOnceAndPrintsEachMessage) {
  EXPECT_EQ(Json::parse(Ok({"--json", "receive", "K1"}).out)["ReceivedMessages"][1],
            (Json{{"DateTime", "2006-01-20 10:16:00"}, {"PhoneGsm", "+39333222"}, {"Text", "Si"}}));
  ASSERT_TRUE(Control("POST", "/control/reset"));  // the messages wait again
  EXPECT_EQ(Ok({"receive", "k1"}).out,
            "2006-01-20 10:15:00\t+39333111\tCiao\n"
            "2006-01-20 10:16:00\t+39333222\tSi\n");
  const auto again = Ok({"--json", "receive", "K1"});
  EXPECT_EQ(Json::parse(again.out),
            (Json{{"KeyReceived", "K1"}, {"ReceivedMessages", Json::array()}}));
  EXPECT_EQ(Ok({"receive", "K1"}).err, "no new messages on K1\n");
}

TEST_F(GatewayCommandTest, AutoresponderChangesTheReplyOrIsRefused) {
  EXPECT_EQ(Ok({"autoresponder", "K2", "Torno lunedì"}).out, "Torno lunedì\n");
  EXPECT_EQ(Json::parse(Ok({"--json", "keys"}).out)["ReceptionKeys"][1]["TextAutoResponder"],
            "Torno lunedì");
  const struct {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{"autoresponder", "OLD", "x"},
       "error 28385: SMS gateway: autoresponder error (key is invalid or expired, or "
       "autoresponder text is invalid or already existing)\n"},
      {{"receive", "K9"}, "error: the account has no reception key \"K9\"\n"},
  };
  for (const auto& c : cases) {
    const auto result = Cli(c.arguments);
    EXPECT_EQ(result.exit_status, 1) << c.arguments[0];
    EXPECT_EQ(result.err, c.err) << c.arguments[0];
    EXPECT_EQ(result.out, "") << c.arguments[0];
  }
}

}  // namespace
}  // namespace orvulink::cli_test
