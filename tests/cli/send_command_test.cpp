// orvulink send against the simulator over HTTPS: groups, lists, refusals, several commands.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;
using Table = std::vector<std::vector<std::string>>;

constexpr char kNumberA[] = "+393331111111";
constexpr char kNumberB[] = "+393332222222";
constexpr char kNumberC[] = "+393333333333";
constexpr char kUnreachable[] = "+393330000000";

// The rows of the table orvulink prints to a pipe: TAB-separated cells.
Table Rows(const std::string& out) {
  Table rows;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');)
      cells.push_back(cell);
    if (line.ends_with('\t')) cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

class SendCommandTest : public GatewayCliTest {
 protected:
  std::string Credit() { return Cli({"credit"}).out; }
  std::string WriteList(const std::string& csv) {
    const auto path = dir_.path() / "list.csv";
    WriteFile(path, csv);
    return path.string();
  }
};

TEST_F(SendCommandTest, GroupSendGivesEveryRecipientTheGroupsOrderId) {
  StartGateway();
  SaveSettings();
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
  StartGateway();
  SaveSettings();
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

TEST_F(SendCommandTest, CsvListKeepsLineBreaksAndDates) {
  StartGateway();
  SaveSettings();
  const auto list =
      WriteList(std::string("PhoneGsm,MessageText,Sender,DateTime\n") + kNumberA +
                ",\"Line one,\nline two\",ACME,\n" + kNumberB + ",Later,ACME,2030-01-02 12:30\n");
  const auto sent = Cli({"--json", "send", "--file", list});
  ASSERT_EQ(sent.exit_status, 0) << sent.err;
  const Json messages = Json::parse(sent.out);
  ASSERT_EQ(messages.size(), 2u);
  // The control keeps a line break as CR; a bare LF it would have dropped.
  EXPECT_EQ(messages[0]["Text"], "Line one,\rline two");
  EXPECT_EQ(messages[1]["DateTime"], "2030-01-02 12:30:00");
  EXPECT_EQ(messages[0]["StatusName"], "FORWARD");
  EXPECT_EQ(messages[1]["StatusName"], "FORWARD");
  EXPECT_NE(messages[0]["OrderID"], messages[1]["OrderID"]);  // two groups, two orders
}

TEST_F(SendCommandTest, RefusedOrInvalidRecipientsMakeTheExitStatusThree) {
  StartGateway({"--accounts", WriteAccounts(std::string(R"({"accounts": [{"user": "demo",
      "password": "demo-password", "credit": 10, "unreachable": [")") +
                                            kUnreachable + R"("]}]})")});
  SaveSettings();
  const auto sent = Cli({"send", "--to", kNumberA, "--to", kUnreachable, "--to", "12", "--text",
                         "Hi", "--sender", "ACME"});
  EXPECT_EQ(sent.exit_status, 3);
  const Table rows = Rows(sent.out);
  ASSERT_EQ(rows.size(), 3u) << sent.out;
  EXPECT_EQ(rows[0][1], "FORWARD");
  EXPECT_EQ(rows[1], (std::vector<std::string>{kUnreachable, "ERRGATEWAY", "1", ""}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"+12", "ERRPHONEGSM", "1", ""}));
  EXPECT_NE(sent.err.find("2 of 3 messages were not accepted"), std::string::npos) << sent.err;
  EXPECT_EQ(Credit(), "9\n");
}

TEST_F(SendCommandTest, ListLongerThanTheCapacityGoesInSeveralCommands) {
  StartGateway();
  SaveSettings();
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
  StartGateway({"--fault", "delay=0x1", "--fault", "code=97"});
  SaveSettings();
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
  StartGateway();
  SaveSettings();
  const auto list = WriteList(std::string("PhoneGsm,MessageText,Sender,DateTime\n") + kNumberA +
                              ",Hi,ACME,\n" + kNumberB + ",Hi,ACME,2030-13-01 10:00\n");
  const auto sent = Cli({"send", "--file", list});
  EXPECT_EQ(sent.exit_status, 2);
  EXPECT_NE(sent.err.find("line 3: DateTime"), std::string::npos) << sent.err;
  EXPECT_EQ(sent.out, "");
  EXPECT_EQ(Credit(), "150.5\n");
}

struct UsageCase {
  std::string name;
  std::vector<std::string> arguments;
  std::string words;  // of the message on standard error
  friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }
};

class SendUsageTest : public GatewayCliTest, public testing::WithParamInterface<UsageCase> {};

// Nothing listens: a usage error must be found before any exchange.
TEST_P(SendUsageTest, RefusesBeforeSending) {
  SaveSettings();
  PointAtClosedPort();
  WriteFile(dir_.path() / "list.csv", "PhoneGsm,MessageText,Sender\n");
  auto arguments = GetParam().arguments;
  arguments.insert(arguments.begin(), "send");
  const auto sent = Cli(arguments);
  EXPECT_EQ(sent.exit_status, 2);
  EXPECT_NE(sent.err.find(GetParam().words), std::string::npos) << sent.err;
  EXPECT_EQ(sent.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, SendUsageTest,
    testing::Values(
        UsageCase{"nothing_to_send", {"--text", "Hi"}, "--to NUMBER"},
        UsageCase{"missing_text", {"--to", kNumberA, "--sender", "ACME"}, "missing --text"},
        UsageCase{"missing_sender", {"--to", kNumberA, "--text", "Hi"}, "missing --sender"},
        UsageCase{"bad_at",
                  {"--to", kNumberA, "--text", "Hi", "--sender", "ACME", "--at", "2030-01-02"},
                  "YYYY-MM-DD HH:MM"},
        UsageCase{"file_and_to", {"--file", "list.csv", "--to", kNumberA}, "excludes"},
        UsageCase{"empty_list", {"--file", "list.csv"}, "holds no messages"},
        UsageCase{"batch_out_of_range",
                  {"--batch", "3001", "--to", kNumberA, "--text", "Hi", "--sender", "ACME"},
                  "--batch"}),
    CaseName());

}  // namespace
}  // namespace orvulink::cli_test
