// orvulink's gateway commands against the simulator over HTTPS: what each prints and how it
// exits. The bytes on the wire are the component's tests'; here only what the user sees.
#include <nlohmann/json.hpp>

#include <regex>
#include <set>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

constexpr char kAccounts[] = R"({"accounts": [{"user": "demo", "password": "demo-password",
  "credit": 150.5, "unreachable": ["+393330000000"],
  "failing": [{"phone": "+393339999999", "reason": 111}],
  "orders": {"ORD-7": ["+393331111111", "+393332222222", "+393333333333"]},
  "reception_keys": [
    {"key": "K1", "autoresponder": "Back on Monday", "messages": [
      {"sent": "2006-01-20 10:15:00", "sender": "+39333111", "text": "Ciao"},
      {"sent": "2006-01-20 10:16:00", "sender": "+39333222", "text": "Si"}]},
    {"key": "K2", "autoresponder": "Hello"}, {"key": "OLD", "expired": true}]}]})";

// One simulator for the suite, reset before every test, orvulink signed in to its demo account.
class GatewayTest : public CliTest {
 protected:
  static void SetUpTestSuite() {
    fs::create_directories(folder_);
    WriteFile(folder_ / "accounts.json", kAccounts);
    gateway_ = std::make_unique<Gateway>(
        folder_, std::vector<std::string>{"--accounts", (folder_ / "accounts.json").string()});
  }
  static void TearDownTestSuite() {
    gateway_.reset();
    fs::remove_all(folder_);
  }
  void SetUp() override {
    UseGateway(*gateway_);
    ASSERT_EQ(gateway_->Control("/control/reset")->status, 204);
    SaveSettings();
  }
  // A table orvulink prints to a pipe: TAB-separated cells.
  static std::vector<std::vector<std::string>> Rows(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
      rows.emplace_back();
      std::istringstream cells(line + "\t");
      for (std::string cell; std::getline(cells, cell, '\t');)
        rows.back().push_back(cell);
    }
    return rows;
  }
  std::vector<std::string> Send(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"send", "--text", "Hi", "--sender", "ACME"});
    return {arguments.begin(), arguments.end()};
  }
  int Requests(const std::string& prefix) {
    int count = 0;
    for (const auto& body : Json::parse(gateway_->Control("/control/requests", "")->body))
      count += body.get<std::string>().starts_with(prefix);
    return count;
  }
  std::string Credit() { return Cli({"credit"}).out; }

  inline static const fs::path folder_ =
      fs::temp_directory_path() / ("orvulink-gw-" + std::to_string(getpid()));
  inline static std::unique_ptr<Gateway> gateway_;
};

TEST_F(GatewayTest, EachCommandPrintsTheGatewaysAnswerOrItsError) {
  const struct {
    std::vector<std::string> arguments;
    int exit_status;
    std::string out;  // parsed and compared as JSON when the arguments start with --json
    std::string err = "";
  } cases[] = {
      {{"credit"}, 0, "150.5\n"},
      {{"--json", "credit"}, 0, R"({"GetCredit": 150.5})"},
      {{"delete", "ORD-7", "+393331111111"}, 0, "1 deleted\n"},
      {{"--json", "delete", "ORD-7"}, 0, R"({"DelMessage": "3 deleted"})"},
      {{"keys"}, 0, "K1\tBack on Monday\t2\nK2\tHello\t0\nOLD\tMessage received, thank you\t0\n"},
      {{"receive", "k1"},
       0,
       "2006-01-20 10:15:00\t+39333111\tCiao\n2006-01-20 10:16:00\t+39333222\tSi\n"},
      {{"--json", "receive", "K2"}, 0, R"({"KeyReceived": "K2", "ReceivedMessages": []})"},
      {{"receive", "K2"}, 0, "", "no new messages on K2\n"},
      {{"autoresponder", "K2", "Torno lunedì"}, 0, "Torno lunedì\n"},
      {{"autoresponder", "OLD", "x"},
       1,
       "",
       "error 28385: SMS gateway: autoresponder error (key is invalid or expired, or "
       "autoresponder text is invalid or already existing)\n"},
      {{"receive", "K9"}, 1, "", "error: the account has no reception key \"K9\"\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    ASSERT_EQ(gateway_->Control("/control/reset")->status, 204);
    const auto result = Cli(c.arguments);
    EXPECT_EQ(result.exit_status, c.exit_status);
    EXPECT_EQ(result.err, c.err);
    if (c.arguments[0] == "--json")
      EXPECT_EQ(Json::parse(result.out), Json::parse(c.out));
    else
      EXPECT_EQ(result.out, c.out);
  }
  EXPECT_EQ(Json::parse(Cli({"--json", "keys"}).out)["ReceptionKeys"][1]["TextAutoResponder"],
            "Hello");  // each row started afresh
  SaveSettings("not-the-password");
  for (const char* command : {"credit", "info", "keys"}) {
    const auto refused = Cli({command});
    EXPECT_EQ(refused.exit_status, 1) << command;
    EXPECT_EQ(refused.err, "error 28375: SMS gateway: username/password error\n") << command;
  }
}

// Each account has another flag off, so that a mixed-up pair cannot pass.
TEST_F(CliTest, InfoReportsTheThreeEntitlements) {
  const std::pair<std::string, Json> cases[] = {
      {R"({"accounts": [{"user": "demo", "password": "demo-password",
             "status_query": false, "abroad": true}]})",
       {{"NotifyServer", 1}, {"NotifyUser", 0}, {"ForeignCountry", 1}}},
      {R"({"status_service": false, "accounts": [{"user": "demo", "password": "demo-password",
             "status_query": true, "abroad": false}]})",
       {{"NotifyServer", 0}, {"NotifyUser", 1}, {"ForeignCountry", 0}}}};
  for (const auto& [accounts, expected] : cases) {
    WriteFile(dir_ / "accounts.json", accounts);
    const Gateway gateway(dir_, {"--accounts", (dir_ / "accounts.json").string()});
    UseGateway(gateway);
    SaveSettings();
    EXPECT_EQ(Json::parse(Cli({"--json", "info"}).out), expected);
    const std::string human = Cli({"info"}).out;
    const auto yes = [](const Json& flag) { return flag == 1 ? "yes (1)\n" : "no (0)\n"; };
    EXPECT_NE(human.find(std::string("Status service up: ") + yes(expected["NotifyServer"])),
              std::string::npos)
        << human;
    EXPECT_NE(human.find(std::string("Status queries allowed: ") + yes(expected["NotifyUser"])),
              std::string::npos)
        << human;
  }
}

// How each verdict is shown; mapping failures to verdicts is the integration tests' business.
TEST_F(GatewayTest, TestNamesTheVerdictAndExitsZeroOnlyWhenOk) {
  const struct {
    std::string fault;  // "closed": nothing listens
    int verdict;
    std::string line;  // of the human output
  } cases[] = {{"", 1, "Verdict: ORVULINK_TEST_OK (1)\n"},
               {R"({"target": "probe", "kind": "http", "status": 404})", -5, "ErrCode: 28379\n"},
               {"closed", 0, "Verdict: ORVULINK_TEST_GENERIC (0)\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    if (c.fault == "closed") PointAtClosedPort();
    SaveSettings("demo-password", c.verdict == -5);
    for (const bool json : {false, true}) {
      if (!c.fault.empty() && c.fault != "closed")
        ASSERT_EQ(gateway_->Control("/control/fault", c.fault)->status, 200);
      const auto result =
          Cli(json ? std::vector<std::string>{"--json", "test"} : std::vector<std::string>{"test"});
      EXPECT_EQ(result.exit_status, c.verdict == 1 ? 0 : 1);
      if (json) {
        const Json document = Json::parse(result.out);
        EXPECT_EQ(document["TestConnection"], c.verdict);
        EXPECT_EQ(document.size(), 3u);
      } else {
        EXPECT_NE(result.out.find(c.line), std::string::npos) << result.out;
        if (c.verdict == 1) EXPECT_EQ(result.out.find("ErrCode"), std::string::npos);
      }
    }
  }
}

TEST_F(GatewayTest, SendListsEveryRecipientAndExitsThreeWhenOneIsRefused) {
  const auto sent = Cli(Send(
      {"--to", "+393331111111", "--to", "+393332222222", "--to", "+393330000000", "--to", "12"}));
  EXPECT_EQ(sent.exit_status, 3);
  const auto rows = Rows(sent.out);
  ASSERT_EQ(rows.size(), 4u) << sent.out;
  EXPECT_EQ(rows[0], (std::vector<std::string>{"+393331111111", "FORWARD", "1", rows[1][3]}));
  EXPECT_FALSE(rows[1][3].empty());
  EXPECT_EQ(rows[2], (std::vector<std::string>{"+393330000000", "ERRGATEWAY", "1", ""}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"+12", "ERRPHONEGSM", "1", ""}));
  EXPECT_NE(sent.err.find("2 of 4 messages were not accepted"), std::string::npos) << sent.err;
  EXPECT_EQ(sent.err.find('\r'), std::string::npos);  // no progress bar on a pipe
  EXPECT_EQ(Credit(), "148.5\n");
  // What the control stored, not what was typed.
  const Json message = Json::parse(Cli({"--json", "send", "--to", "00393331111111", "--text",
                                        "Ciao{}", "--sender", "ACME", "--at", "2030-01-02 12:30"})
                                       .out)[0];
  EXPECT_EQ(message["PhoneGsm"], "+393331111111");
  EXPECT_EQ(message["Text"], "Ciao");
  EXPECT_EQ(message["DateTime"], "2030-01-02 12:30:00");
  EXPECT_EQ(message["StatusName"], "FORWARD");
  EXPECT_EQ(message.size(), 8u);
}

TEST_F(GatewayTest, ListsBeyondTheCapacityGoInSeveralCommandsAndNothingIsLost) {
  std::vector<std::string> five;
  for (int i = 1; i <= 5; ++i)
    five.insert(five.end(), {"--to", "+39333000000" + std::to_string(i)});
  five.insert(five.end(), {"--batch", "2"});
  const auto rows = Rows(Cli(Send(five)).out);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0][3], rows[1][3]);
  EXPECT_EQ((std::set<std::string>{rows[0][3], rows[2][3], rows[4][3]}).size(), 3u);
  // A recipient listed again in a later command is still a duplicate, as in one list.
  WriteFile(dir_ / "list.csv",
            "PhoneGsm,MessageText,Sender\n+393331111111,Hi,ACME\n"
            "+393332222222,Hi,ACME\n+393331111111,Hi,ACME\n");
  const auto again = Cli({"send", "--batch", "2", "--file", "list.csv"});
  EXPECT_EQ(again.exit_status, 3);
  EXPECT_EQ(Rows(again.out).at(2),
            (std::vector<std::string>{"+393331111111", "ERRDOUBLE", "1", ""}));
  EXPECT_EQ(Credit(), "143.5\n");
  // The first command is answered, the second refused: the first one's messages are still shown.
  ASSERT_EQ(gateway_->Control("/control/fault", R"({"kind": "delay", "delay_ms": 0, "count": 1})")
                ->status,
            200);
  ASSERT_EQ(gateway_->Control("/control/fault", R"({"kind": "code", "code": "97"})")->status, 200);
  const auto failed = Cli(Send({"--batch", "1", "--to", "+393331111111", "--to", "+393332222222"}));
  EXPECT_EQ(failed.exit_status, 1);
  ASSERT_EQ(Rows(failed.out).size(), 1u) << failed.out;
  EXPECT_EQ(Rows(failed.out)[0][1], "FORWARD");
  EXPECT_NE(failed.err.find("error 28377: "), std::string::npos) << failed.err;
  // A bad row sends nothing.
  ASSERT_EQ(gateway_->Control("/control/reset")->status, 204);
  WriteFile(dir_ / "list.csv",
            "PhoneGsm,MessageText,Sender,DateTime\n+393331111111,Hi,ACME,\n"
            "+393332222222,Hi,ACME,2030-13-01 10:00\n");
  const auto bad = Cli({"send", "--file", "list.csv"});
  EXPECT_EQ(bad.exit_status, 2);
  EXPECT_NE(bad.err.find("line 3: DateTime"), std::string::npos) << bad.err;
  EXPECT_EQ(Requests("CMD=14&"), 0);
}

TEST_F(GatewayTest, StatusFollowsDeliveryBatchesAndWaits) {
  const auto order = [&](const std::string& at) {
    const auto sent = Cli({"--json", "send", "--text", "Hi", "--sender", "ACME", "--to",
                           "+393331111111", "--to", "+393339999999", "--at", at});
    return Json::parse(sent.out).at(0).at("OrderID").at(0).get<std::string>();
  };
  const std::string id = order("2030-01-02 12:30");
  EXPECT_EQ(Rows(Cli({"status", id}).out).at(0).at(3), "GETWAY");
  const auto timed_out = Cli({"status", "--wait", "1", id, "NOPE-1"});
  EXPECT_EQ(timed_out.exit_status, 4);
  EXPECT_EQ(Rows(timed_out.out).at(2).at(1), "NOTCORRECTED");
  EXPECT_NE(timed_out.err.find("timed out after 1 s: 2 of 2 recipients"), std::string::npos)
      << timed_out.err;
  // Settled only once a first query went out, so at least one more must follow.
  Completed waited;
  std::thread poller([&] { waited = Cli({"status", "--wait", "20", id}); });
  const int before = Requests("CMD=15&");
  while (Requests("CMD=15&") == before)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(gateway_->Control("/control/settle")->status, 200);
  poller.join();
  EXPECT_EQ(waited.exit_status, 0) << waited.err;
  const auto rows = Rows(waited.out);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{id, "CORRECTED", "+393331111111", "DELIVERED",
                                               "none", rows[0][5]}));
  EXPECT_EQ(rows[1][4], "BLOCKUSER");
  EXPECT_TRUE(std::regex_match(rows[1][5], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
  const Json json = Json::parse(Cli({"--json", "status", id}).out)[0];
  EXPECT_EQ(json["Recipients"][1]["ReasonCode"], 111);
  EXPECT_EQ(json["StatusName"], "CORRECTED");
  // Four orders two at a time: two queries, answers in the given order.
  const int queries = Requests("CMD=15&");
  const auto batched = Rows(Cli({"status", "--batch", "2", "NOPE-1", "NOPE-2", id, "NOPE-3"}).out);
  std::vector<std::string> ids;
  for (const auto& row : batched)
    ids.push_back(row.at(0));
  EXPECT_EQ(ids, (std::vector<std::string>{"NOPE-1", "NOPE-2", id, id, "NOPE-3"}));
  EXPECT_EQ(Requests("CMD=15&") - queries, 2);
}

}  // namespace
}  // namespace orvulink::cli_test
