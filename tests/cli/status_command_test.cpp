// orvulink status against the simulator over HTTPS: tables, JSON, input from files and
// standard input, polling until delivered, and refused input.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;
using Table = std::vector<std::vector<std::string>>;

constexpr char kNumberA[] = "+393331111111";
constexpr char kFailing[] = "+393339999999";
constexpr char kStranger[] = "+393335555555";  // in no order
constexpr char kLater[] = "2030-01-02 12:30";  // a send date that keeps deliveries pending
constexpr char kDateTime[] = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)";

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

class StatusCommandTest : public GatewayCliTest {
 protected:
  void SetUp() override {
    StartGateway({"--accounts", WriteAccounts(std::string(R"({"accounts": [{"user": "demo",
        "password": "demo-password", "credit": 100,
        "failing": [{"phone": ")") + kFailing +
                                              R"(", "reason": 111}]}]})")});
    SaveSettings();
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

  // The simulator's control endpoint, trusted through the CA it wrote.
  httplib::Result Control(const std::string& method, const std::string& path) {
    httplib::SSLClient client("127.0.0.1", gateway_->port());
    client.set_ca_cert_path((dir_.path() / "ca.pem").c_str());
    return method == "POST" ? client.Post(path, "", "application/json") : client.Get(path);
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

TEST_F(StatusCommandTest, TableFollowsDeliveryToItsEnd) {
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

TEST_F(StatusCommandTest, JsonIsKeyedByTheMembersNames) {
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

struct InputCase {
  std::string name;
  std::vector<std::string> arguments;  // ORDER stands for the order ID
  std::string input;                   // file and standard input, ORDER replaced likewise
  std::vector<std::string> phones;     // the recipients shown, in order
};

std::string WithOrder(std::string text, const std::string& order) {
  for (std::size_t at; (at = text.find("ORDER")) != std::string::npos;)
    text.replace(at, 5, order);
  return text;
}

TEST_F(StatusCommandTest, EntriesFromArgumentsFileAndStandardInput) {
  const std::string order = Send({kNumberA, kFailing});
  Settle();
  const std::vector<InputCase> cases = {
      {"one recipient", {"ORDER:" + std::string(kNumberA)}, "", {kNumberA}},
      {"dash reads stdin", {"-"}, std::string("  ORDER : ") + kFailing + " \r\n\n", {kFailing}},
      {"stdin when no arguments", {}, "\n ORDER\n", {kNumberA, kFailing}},
      // The whole order was asked for as well: naming a number must not narrow it.
      {"file, whole order wins",
       {"--file", "input.txt"},
       std::string("ORDER:") + kFailing + "\nORDER\n",
       {kNumberA, kFailing}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"status"};
    for (const auto& argument : c.arguments)
      arguments.push_back(WithOrder(argument, order));
    const auto status = CliWithInput(arguments, WithOrder(c.input, order));
    ASSERT_EQ(status.exit_status, 0) << c.name << ": " << status.err;
    std::vector<std::string> phones;
    for (const auto& row : Rows(status.out))
      phones.push_back(row.at(2));
    EXPECT_EQ(phones, c.phones) << c.name;
  }
  // Two numbers named: only they are shown, and one the gateway never reported has failed.
  const Table named = Rows(Cli({"status", order + ":" + kNumberA, order + ":" + kStranger}).out);
  ASSERT_EQ(named.size(), 2u);
  EXPECT_EQ((std::vector{named[0][2], named[0][3]}),
            (std::vector<std::string>{kNumberA, "DELIVERED"}));
  EXPECT_EQ((std::vector{named[1][2], named[1][3]}),
            (std::vector<std::string>{kStranger, "ERRGATEWAY"}));
}

TEST_F(StatusCommandTest, WaitPollsAfreshUntilDelivered) {
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

TEST_F(StatusCommandTest, WaitRunningOutOfTimeShowsTheLastStatuses) {
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

TEST_F(StatusCommandTest, OrdersBeyondTheCapacityGoInSeveralQueries) {
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

struct UsageCase {
  std::string name;
  std::vector<std::string> arguments;
  std::string words;  // of the message on standard error
  friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }
};

class StatusUsageTest : public GatewayCliTest, public testing::WithParamInterface<UsageCase> {};

// Nothing listens: bad input must be found before any exchange.
TEST_P(StatusUsageTest, RefusesWithAClearMessage) {
  SaveSettings();
  PointAtClosedPort();
  WriteFile(dir_.path() / "list.txt", "ORD-1\n\nORD-2:+39 333\n");
  auto arguments = GetParam().arguments;
  arguments.insert(arguments.begin(), "status");
  const auto status = Cli(arguments);
  EXPECT_EQ(status.exit_status, 2);
  EXPECT_NE(status.err.find(GetParam().words), std::string::npos) << status.err;
  EXPECT_EQ(status.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, StatusUsageTest,
    testing::Values(UsageCase{"empty_order_id",
                              {"ORD-1", ":+393331111111"},
                              "argument 2: ':+393331111111': empty ORDERID"},
                    UsageCase{"empty_phone", {"ORD-1:"}, "empty PHONE"},
                    UsageCase{"phone_not_a_number", {"ORD-1:+39abc"}, "PHONE is not a number"},
                    UsageCase{"separator_in_order_id", {"ORD;1"}, "ORDERID holds a blank"},
                    UsageCase{
                        "bad_line_in_file", {"--file", "list.txt"}, "list.txt:3: 'ORD-2:+39 333'"},
                    UsageCase{"nothing_on_stdin", {}, "no order IDs given"},
                    UsageCase{"wait_of_zero", {"--wait", "0", "ORD-1"}, "--wait"}),
    CaseName());

}  // namespace
}  // namespace orvulink::cli_test
