// orvulink send and status against the suite's simulator over HTTPS: groups, lists, refusals,
// several commands; status tables, JSON, input from files and standard input, polling.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

constexpr char kNumberA[] = "+393331111111";
constexpr char kNumberB[] = "+393332222222";
constexpr char kNumberC[] = "+393333333333";
constexpr char kUnreachable[] = "+393330000000";
constexpr char kFailing[] = "+393339999999";
constexpr char kLater[] = "2030-01-02 12:30";  // a send date that keeps deliveries pending
constexpr char kDateTime[] = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)";

class SendCommandTest : public SharedGatewayTest {
 protected:
  std::string Credit() { return Cli({"credit"}).out; }
  std::string WriteList(const std::string& csv) {
    const auto path = dir_.path() / "list.csv";
    WriteFile(path, csv);
    return path.string();
  }
  // The order ID the send gave its one group.
  std::string Send(const std::vector<std::string>& numbers, const std::string& at = "") {
    std::vector<std::string> arguments = {"--json", "send", "--text", "Hi", "--sender", "ACME"};
    for (const auto& number : numbers)
      arguments.insert(arguments.end(), {"--to", number});
    if (!at.empty()) arguments.insert(arguments.end(), {"--at", at});
    const auto sent = Cli(arguments);
    EXPECT_EQ(sent.exit_status, 0) << sent.err;
    return Json::parse(sent.out).at(0).at("OrderID").at(0).get<std::string>();
  }
  // orvulink with standard input read from a file of `input`.
  Completed CliWithInput(const std::vector<std::string>& arguments, const std::string& input) {
    WriteFile(dir_.path() / "input.txt", input);
    std::vector<std::string> all = {"-c", "exec \"$0\" \"$@\" < input.txt", ORVULINK_CLI_PROGRAM,
                                    "--settings", settings_path().string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram("/bin/sh", all, dir_.path(), environment_);
  }
  void Settle() {
    const auto answer = Control("POST", "/control/settle");
    ASSERT_TRUE(answer && answer->status == 200);
  }
  int StatusQueries() {
    const auto answer = Control("GET", "/control/requests");
    if (!answer || answer->status != 200) return -1;
    int count = 0;
    for (const auto& request : Json::parse(answer->body))
      count += request.get<std::string>().starts_with("CMD=15&") ? 1 : 0;
    return count;
  }
};

TEST_F(SendCommandTest, GroupSendGivesEveryRecipientTheGroupsOrderId) {
  const auto sent = Cli({"send", "--to", kNumberA, "--to", kNumberB, "--to", kNumberC, "--text",
                         "Hello", "--sender", "ACME"});
  ASSERT_EQ(sent.exit_status, 0) << sent.err;
  const Table rows = Rows(sent.out);
  ASSERT_EQ(rows.size(), 3u) << sent.out;
  const std::string order_id = rows[0][3];
  EXPECT_FALSE(order_id.empty());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i], (std::vector<std::string>{std::vector{kNumberA, kNumberB, kNumberC}[i],
                                                 "FORWARD", "1", order_id}));
  }
  EXPECT_EQ(Credit(), "147.5\n");
}

TEST_F(SendCommandTest, JsonNamesTheMessagesMembers) {
  const auto sent = Cli({"--json", "send", "--to", "00393331111111", "--text", "Ciao{}", "--sender",
                         "ACME", "--at", "2030-01-02 12:30"});
  ASSERT_EQ(sent.exit_status, 0) << sent.err;
  const Json messages = Json::parse(sent.out);
  ASSERT_EQ(messages.size(), 1u);
  const Json& message = messages[0];
  // What the control stored, not what was typed.
  EXPECT_EQ(message["PhoneGsm"], kNumberA);
  EXPECT_EQ(message["Text"], "Ciao");
  EXPECT_EQ(message["Sender"], "ACME");
  EXPECT_EQ(message["DateTime"], "2030-01-02 12:30:00");
  EXPECT_EQ(message["NumSMS"], 1);
  EXPECT_EQ(message["Status"], 3);
  EXPECT_EQ(message["StatusName"], "FORWARD");
  ASSERT_EQ(message["OrderID"].size(), 1u);
  EXPECT_TRUE(message["OrderID"][0].is_string());
  EXPECT_EQ(message.size(), 8u);
}

TEST_F(SendCommandTest, RefusedOrInvalidRecipientsMakeTheExitStatusThree) {
  const auto sent = Cli({"send", "--to", kNumberA, "--to", kUnreachable, "--to", "12", "--text",
                         "Hi", "--sender", "ACME"});
  EXPECT_EQ(sent.exit_status, 3);
  const Table rows = Rows(sent.out);
  ASSERT_EQ(rows.size(), 3u) << sent.out;
  EXPECT_EQ(rows[0][1], "FORWARD");
  EXPECT_EQ(rows[1], (std::vector<std::string>{kUnreachable, "ERRGATEWAY", "1", ""}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"+12", "ERRPHONEGSM", "1", ""}));
  EXPECT_NE(sent.err.find("2 of 3 messages were not accepted"), std::string::npos) << sent.err;
  EXPECT_EQ(Credit(), "149.5\n");
}

TEST_F(SendCommandTest, ListLongerThanTheCapacityGoesInSeveralCommands) {
  // Five recipients two at a time: three commands, each its own order.
  const auto group = Cli({"send", "--batch", "2", "--to", "+393330000001", "--to", "+393330000002",
                          "--to", "+393330000003", "--to", "+393330000004", "--to", "+393330000005",
                          "--text", "Hi", "--sender", "ACME"});
  ASSERT_EQ(group.exit_status, 0) << group.err;
  const Table rows = Rows(group.out);
  ASSERT_EQ(rows.size(), 5u) << group.out;
  EXPECT_EQ(rows[0][3], rows[1][3]);
  EXPECT_EQ(rows[2][3], rows[3][3]);
  EXPECT_EQ((std::set<std::string>{rows[0][3], rows[2][3], rows[4][3]}).size(), 3u);

  // A recipient listed again in a later command is still a duplicate, as in one list.
  const auto list = WriteList(std::string("PhoneGsm,MessageText,Sender\n") + kNumberA +
                              ",Hi,ACME\n" + kNumberB + ",Hi,ACME\n" + kNumberA + ",Hi,ACME\n");
  const auto again = Cli({"send", "--batch", "2", "--file", list});
  EXPECT_EQ(again.exit_status, 3);
  const Table list_rows = Rows(again.out);
  ASSERT_EQ(list_rows.size(), 3u) << again.out;
  EXPECT_EQ(list_rows[2], (std::vector<std::string>{kNumberA, "ERRDOUBLE", "1", ""}));
  EXPECT_EQ(Credit(), "143.5\n");
}

TEST_F(SendCommandTest, FailureAfterAnAcceptedCommandStillListsIt) {
  // The first command is answered normally, the second is refused for lack of credit.
  AddFault(R"({"kind": "delay", "delay_ms": 0, "count": 1})");
  AddFault(R"({"kind": "code", "code": "97"})");
  const auto sent = Cli({"send", "--batch", "1", "--to", kNumberA, "--to", kNumberB, "--text", "Hi",
                         "--sender", "ACME"});
  EXPECT_EQ(sent.exit_status, 1);
  const Table rows = Rows(sent.out);
  ASSERT_EQ(rows.size(), 1u) << sent.out;
  EXPECT_EQ(rows[0][0], kNumberA);
  EXPECT_EQ(rows[0][1], "FORWARD");
  EXPECT_FALSE(rows[0][3].empty());
  EXPECT_NE(sent.err.find("error 28377: "), std::string::npos) << sent.err;
}

TEST_F(SendCommandTest, BadRowSendsNothing) {
  const auto list = WriteList(std::string("PhoneGsm,MessageText,Sender,DateTime\n") + kNumberA +
                              ",Hi,ACME,\n" + kNumberB + ",Hi,ACME,2030-13-01 10:00\n");
  const auto sent = Cli({"send", "--file", list});
  EXPECT_EQ(sent.exit_status, 2);
  EXPECT_NE(sent.err.find("line 3: DateTime"), std::string::npos) << sent.err;
  EXPECT_EQ(sent.out, "");
  EXPECT_EQ(Credit(), "150.5\n");
}

// ---- status ----------------------------------------------------------------------------------

TEST_F(SendCommandTest, StatusTableFollowsDeliveryToItsEnd) {
  const std::string order = Send({kNumberA, kFailing}, kLater);
  const auto pending = Cli({"status", order});
  ASSERT_EQ(pending.exit_status, 0) << pending.err;
  const Table before = Rows(pending.out);
  ASSERT_EQ(before.size(), 2u) << pending.out;
  EXPECT_EQ(std::vector(before[0].begin(), before[0].end() - 1),
            (std::vector<std::string>{order, "CORRECTED", kNumberA, "GETWAY", "none"}));

  Settle();
  const Table after = Rows(Cli({"status", order}).out);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(std::vector(after[0].begin(), after[0].end() - 1),
            (std::vector<std::string>{order, "CORRECTED", kNumberA, "DELIVERED", "none"}));
  EXPECT_EQ(std::vector(after[1].begin(), after[1].end() - 1),
            (std::vector<std::string>{order, "CORRECTED", kFailing, "ERROPERATOR", "BLOCKUSER"}));
  for (const auto& row : after)
    EXPECT_TRUE(std::regex_match(row.back(), std::regex(kDateTime))) << row.back();
}

TEST_F(SendCommandTest, StatusJsonIsKeyedByTheMembersNames) {
  const std::string order = Send({kFailing});
  Settle();
  const auto status = Cli({"--json", "status", order, "NOPE-1"});
  ASSERT_EQ(status.exit_status, 0) << status.err;
  const Json orders = Json::parse(status.out);
  ASSERT_EQ(orders.size(), 2u);
  const Json& recipient = orders[0].at("Recipients").at(0);
  EXPECT_TRUE(std::regex_match(recipient.at("DateTime").get<std::string>(), std::regex(kDateTime)));
  Json expected_recipient = {{"PhoneGsm", kFailing},        {"Status", -2},
                             {"StatusName", "ERROPERATOR"}, {"ReasonCode", 111},
                             {"ReasonName", "BLOCKUSER"},   {"DateTime", recipient["DateTime"]}};
  EXPECT_EQ(orders[0], Json({{"OrderID", order},
                             {"Status", 1},
                             {"StatusName", "CORRECTED"},
                             {"Recipients", {expected_recipient}}}));
  EXPECT_EQ(orders[1], Json({{"OrderID", "NOPE-1"},
                             {"Status", -1},
                             {"StatusName", "NOTCORRECTED"},
                             {"Recipients", Json::array()}}));
}

TEST_F(SendCommandTest, StatusWaitPollsAfreshUntilDelivered) {
  const std::string order = Send({kNumberA, kFailing}, kLater);
  Completed waited;
  std::thread poller([&] { waited = Cli({"status", "--wait", "20", order}); });
  // Settled only once the first answer went out, so at least one more query must follow.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (StatusQueries() == 0 && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  Settle();
  poller.join();
  EXPECT_EQ(waited.exit_status, 0) << waited.err;
  const Table rows = Rows(waited.out);
  ASSERT_EQ(rows.size(), 2u) << waited.out;
  EXPECT_EQ(rows[0][3], "DELIVERED");
  EXPECT_EQ(rows[1][3], "ERROPERATOR");
  EXPECT_GE(StatusQueries(), 2);
}

TEST_F(SendCommandTest, StatusWaitRunningOutOfTimeShowsTheLastStatuses) {
  const std::string later = Send({kNumberA}, kLater);
  const auto waited = Cli({"status", "--wait", "1", later, "NOPE-1"});
  EXPECT_EQ(waited.exit_status, 4);
  const Table rows = Rows(waited.out);
  ASSERT_EQ(rows.size(), 2u) << waited.out;
  EXPECT_EQ(rows[0][3], "GETWAY");
  EXPECT_EQ(rows[1][1], "NOTCORRECTED");
  EXPECT_NE(waited.err.find("timed out after 1 s: 1 of 1 recipients"), std::string::npos)
      << waited.err;
  EXPECT_GE(StatusQueries(), 2);
}

TEST_F(SendCommandTest, StatusOrdersBeyondTheCapacityGoInSeveralQueries) {
  const std::string order = Send({kNumberA});
  const auto status =
      Cli({"status", "--batch", "2", "NOPE-1", "NOPE-2", order, "NOPE-3", "NOPE-4"});
  ASSERT_EQ(status.exit_status, 0) << status.err;
  std::vector<std::string> ids;
  for (const auto& row : Rows(status.out))
    ids.push_back(row.at(0));
  EXPECT_EQ(ids, (std::vector<std::string>{"NOPE-1", "NOPE-2", order, "NOPE-3", "NOPE-4"}));
  EXPECT_EQ(StatusQueries(), 3);
}

}  // namespace
}  // namespace orvulink::cli_test
