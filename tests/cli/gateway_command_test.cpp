// orvulink's gateway commands against the simulator over HTTPS: what each prints and how it
// exits. The bytes on the wire are the component's tests'; here only what the user sees.
#include <nlohmann/json.hpp>

#include <regex>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

constexpr char kAccounts[] = R"({"accounts": [{"user": "demo", "password": "demo-password",
  "credit": 150.5, "abroad": false, "unreachable": ["+393330000000"],
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
    gateway_->Use();
    ASSERT_EQ(gateway_->Control("/control/reset")->status, 204);
    SaveSettings();
  }
  // Times of day vary from run to run: each becomes "T".
  static std::string Timeless(const std::string& out) {
    return std::regex_replace(out, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"), "T");
  }
  static std::vector<std::string> Send(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"send", "--text", "Hi", "--sender", "ACME"});
    return arguments;
  }
  int Requests(const std::string& prefix) {
    int count = 0;
    for (const auto& body : Json::parse(gateway_->Control("/control/requests", "")->body))
      count += body.get<std::string>().starts_with(prefix);
    return count;
  }

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
      {{"--json", "info"}, 0, R"({"NotifyServer": 1, "NotifyUser": 1, "ForeignCountry": 0})"},
      {{"info"},
       0,
       "Status service up: yes (1)\nStatus queries allowed: yes (1)\n"
       "Sending abroad allowed: no (0)\n"},
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
  SaveSettings("not-the-password");
  for (const char* command : {"credit", "info", "keys"}) {
    const auto refused = Cli({command});
    EXPECT_EQ(refused.exit_status, 1) << command;
    EXPECT_EQ(refused.err, "error 28375: SMS gateway: username/password error\n") << command;
  }
}

// What -v shows of a failing connection, a gateway that never answers cut short by --timeout,
// the gateway and the password from where a user keeps them, and the answers users misread.
TEST_F(GatewayTest, DiagnosticsAndSettingsFromTheUsersSide) {
  unsetenv("ORVULINK_CA_FILE");  // the simulator's certificate is not trusted now
  SaveSettings("demo-password", true);
  const auto probed = Cli({"-v", "credit"}).err;
  EXPECT_NE(probed.find("> probe: GET https://127.0.0.1:"), std::string::npos) << probed;
  EXPECT_NE(probed.find("< probe: navigation error"), std::string::npos) << probed;
  SaveSettings();
  const auto untrusted = Cli({"-v", "credit"});
  EXPECT_EQ(untrusted.exit_status, 1);
  for (const char* shown :
       {"> try 1: POST https://127.0.0.1:", "CMD=2&UID=(redacted)&PWD=(redacted)",
        "< try 3: no answer: HTTP request failed: SSL certificate problem"})
    EXPECT_NE(untrusted.err.find(shown), std::string::npos) << shown << " in " << untrusted.err;
  gateway_->Use();
  const std::string host = std::getenv("ORVULINK_GATEWAY_HOST");
  unsetenv("ORVULINK_GATEWAY_HOST");
  ASSERT_EQ(Cli({"config", "set", "Gateway=" + host, "Password=wrong"}).exit_status, 0);
  setenv("ORVULINK_PASSWORD", "demo-password", 1);
  ASSERT_EQ(gateway_
                ->Control("/control/fault",
                          R"({"kind": "code", "code": "01", "payload": "100000 credits",
                                  "count": 1})")
                ->status,
            200);
  EXPECT_EQ(Cli({"credit"}).out, "100000\n");
  const auto empty_reply = Cli({"autoresponder", "K2", ""});
  EXPECT_EQ(empty_reply.exit_status, 1);
  EXPECT_NE(empty_reply.err.find("the gateway takes no empty automatic reply"), std::string::npos);
  ASSERT_EQ(gateway_->Control("/control/fault", R"({"kind": "delay", "delay_ms": 8000})")->status,
            200);
  const auto started = std::chrono::steady_clock::now();
  const auto slow = Cli({"--timeout", "1", "credit"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(slow.exit_status, 1);
  EXPECT_NE(slow.err.find("--timeout: the command did not finish within 1 s"), std::string::npos);
  unsetenv("ORVULINK_PASSWORD");
}

// How each verdict is shown; mapping failures to verdicts is the integration tests' business.
TEST_F(GatewayTest, TestNamesTheVerdictAndExitsZeroOnlyWhenOk) {
  const auto json = Json::parse(Cli({"--json", "test"}).out);
  EXPECT_EQ(json, (Json{{"TestConnection", 1}, {"ErrCode", 0}, {"ErrDescription", ""}}));
  const std::tuple<std::string, int, std::string> cases[] = {
      {"", 0, "Verdict: ORVULINK_TEST_OK (1)\nMeaning: "},
      {R"({"target": "probe", "kind": "http", "status": 404})", 1,
       "Verdict: ORVULINK_TEST_PROTOCOLSSL (-5)\nMeaning: "},
      {"closed", 1, "Verdict: ORVULINK_TEST_GENERIC (0)\n"}};  // nothing listens
  for (const auto& [fault, exit_status, line] : cases) {
    if (fault == "closed") PointAtClosedPort();
    if (fault.starts_with("{")) {
      ASSERT_EQ(gateway_->Control("/control/fault", fault)->status, 200);
    }
    SaveSettings("demo-password", fault.starts_with("{"));
    const auto result = Cli({"test"});
    EXPECT_EQ(result.exit_status, exit_status) << line;
    EXPECT_NE(result.out.find(line), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("ErrCode: 28379\n") != std::string::npos, fault.starts_with("{"));
  }
}

// Order IDs count up from ORD-1 after the reset. A recipient refused makes the exit status 3;
// lists beyond the capacity go in several commands, each its own order, and a recipient listed
// again in a later command is still a duplicate; a bad row sends nothing.
TEST_F(GatewayTest, SendListsEveryRecipientOnceWithItsOrder) {
  const std::string list = "PhoneGsm,MessageText,Sender,DateTime\n+393331111111,Hi,ACME,\n";
  WriteFile(dir_ / "twice.csv", list + "+393332222222,Hi,ACME,\n+393331111111,Hi,ACME,\n");
  WriteFile(dir_ / "bad.csv", list + "+393332222222,Hi,ACME,2030-13-01 10:00\n");
  const struct {
    std::vector<std::string> arguments;
    int exit_status;
    std::string out, err = "";  // err: what standard error must contain
  } steps[] = {
      {Send({"--to", "+393331111111", "--to", "+393330000000", "--to", "+12"}), 3,
       "+393331111111\tFORWARD\t1\tORD-1\n+393330000000\tERRGATEWAY\t1\t\n"
       "+12\tERRPHONEGSM\t1\t\n",
       "2 of 3 messages were not accepted"},
      {Send({"--batch", "2", "--to", "+393330000001", "--to", "+393330000002", "--to",
             "+393330000003"}),
       0,
       "+393330000001\tFORWARD\t1\tORD-2\n+393330000002\tFORWARD\t1\tORD-2\n"
       "+393330000003\tFORWARD\t1\tORD-3\n"},
      {{"send", "--batch", "2", "--file", "twice.csv"},
       3,
       "+393331111111\tFORWARD\t1\tORD-4\n+393332222222\tFORWARD\t1\tORD-4\n"
       "+393331111111\tERRDOUBLE\t1\t\n"},
      {{"send", "--file", "bad.csv"}, 2, "", "line 3: DateTime"},
      {{"credit"}, 0, "144.5\n"},
  };
  for (const auto& [arguments, exit_status, out, err] : steps) {
    const auto result = Cli(arguments);
    EXPECT_EQ(result.exit_status, exit_status) << out;
    EXPECT_EQ(result.out, out);
    EXPECT_NE(result.err.find(err), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\r'), std::string::npos);  // no progress bar on a pipe
  }
  // What the control stored, not what was typed.
  EXPECT_EQ(Json::parse(Cli({"--json", "send", "--to", "00393331111111", "--text", "Ciao{}",
                             "--sender", "ACME", "--at", "2030-01-02 12:30"})
                            .out),
            Json::parse(R"([{"PhoneGsm": "+393331111111", "Text": "Ciao", "Sender": "ACME",
              "DateTime": "2030-01-02 12:30:00", "NumSMS": 1, "Status": 3,
              "StatusName": "FORWARD", "OrderID": ["ORD-5"]}])"));
  // The first command is answered, the second refused: the first one's messages still show.
  ASSERT_EQ(gateway_->Control("/control/fault", R"({"kind": "delay", "delay_ms": 0, "count": 1})")
                ->status,
            200);
  ASSERT_EQ(gateway_->Control("/control/fault", R"({"kind": "code", "code": "97"})")->status, 200);
  const auto failed = Cli(Send({"--batch", "1", "--to", "+393331111111", "--to", "+393332222222"}));
  EXPECT_EQ(failed.exit_status, 1);
  EXPECT_EQ(failed.out, "+393331111111\tFORWARD\t1\tORD-6\n");
  EXPECT_NE(failed.err.find("error 28377: "), std::string::npos) << failed.err;
}

TEST_F(GatewayTest, StatusFollowsDeliveryBatchesAndWaits) {
  ASSERT_EQ(
      Cli(Send({"--to", "+393331111111", "--to", "+393339999999", "--at", "2030-01-02 12:30"}))
          .exit_status,
      0);
  const auto timed_out = Cli({"status", "--wait", "1", "ORD-1", "NOPE-1"});
  EXPECT_EQ(timed_out.exit_status, 4);
  EXPECT_EQ(Timeless(timed_out.out),
            "ORD-1\tCORRECTED\t+393331111111\tGETWAY\tnone\tT\n"
            "ORD-1\tCORRECTED\t+393339999999\tGETWAY\tnone\tT\nNOPE-1\tNOTCORRECTED\t\t\t\t\n");
  EXPECT_NE(timed_out.err.find("timed out after 1 s: 2 of 2 recipients"), std::string::npos)
      << timed_out.err;
  // Settled only once a first query went out, so at least one more must follow.
  Completed waited;
  std::thread poller([&] { waited = Cli({"status", "--wait", "20", "ORD-1"}); });
  const int before = Requests("CMD=15&");
  while (Requests("CMD=15&") == before)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(gateway_->Control("/control/settle")->status, 200);
  poller.join();
  EXPECT_EQ(waited.exit_status, 0) << waited.err;
  EXPECT_EQ(Timeless(waited.out),
            "ORD-1\tCORRECTED\t+393331111111\tDELIVERED\tnone\tT\n"
            "ORD-1\tCORRECTED\t+393339999999\tERROPERATOR\tBLOCKUSER\tT\n");
  EXPECT_EQ(Json::parse(Cli({"--json", "status", "ORD-1"}).out)[0]["Recipients"][1]["ReasonCode"],
            111);
  // Four orders two at a time: two queries, answers in the given order.
  const int queries = Requests("CMD=15&");
  EXPECT_EQ(Timeless(Cli({"status", "--batch", "2", "NOPE-1", "NOPE-2", "ORD-1", "N"}).out),
            "NOPE-1\tNOTCORRECTED\t\t\t\t\nNOPE-2\tNOTCORRECTED\t\t\t\t\n" + Timeless(waited.out) +
                "N\tNOTCORRECTED\t\t\t\t\n");
  EXPECT_EQ(Requests("CMD=15&") - queries, 2);
}

}  // namespace
}  // namespace orvulink::cli_test
