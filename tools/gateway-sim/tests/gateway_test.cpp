// The simulator in process: parsing, the commands' answers and charges, delivery, reception and
// the fault board, as the component's own tests count on them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "sim/command_parser.hpp"
#include "sim/fault.hpp"
#include "sim/fault_board.hpp"
#include "sim/protocol.hpp"
#include "sim_support.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;
using Json = nlohmann::json;
using std::chrono::milliseconds;

TEST(CommandParser, DecodesValuesOrRefusesAMalformedBody) {
  const auto command = ParseCommand("CMD=2&UID=%61%62&PWD=&SERIAL=%4F%4C").command;
  ASSERT_TRUE(command && command->fields.size() == 4);
  EXPECT_EQ(command->Find("SERIAL")->text, "OL");
  EXPECT_EQ(command->Find("KEY"), nullptr);
  const auto values = ParseCommand("A=%80%e8&B=x=y&C=%31\t\r\n&D=a+b").command;  // TAB, CR LF: data
  ASSERT_TRUE(values);
  EXPECT_EQ(values->fields[0].text + values->fields[1].text + values->fields[2].text +
                values->fields[3].text,
            "\u20ac\u00e8x=y1\t\r\na+b");
  for (const char* body : {"", "CMD", "=2", "cmd=2", "CMD=2&", "&CMD=2", "CMD=2&&UID=", "A B=1",
                           "A=%", "A=%4", "A=%G1", "A=%%41", "A=%41%"})
    EXPECT_FALSE(ParseCommand(body).command) << body;
}

TEST(Windows1252, UnmappableCharactersBecomeOneQuestionMarkEach) {
  EXPECT_EQ(Windows1252FromUtf8("\u20ac\u0160\u00ff\u0081"), "\x80\x8A\xFF\x81");
  EXPECT_EQ(Windows1252FromUtf8("a\u65e5\U0001F600\u0080" + std::string("\xFF")), "a????");
}

AccountFixture Fixture() {
  AccountFixture fixture = DemoFixture();
  Account& demo = fixture.accounts[0];
  demo.orders.AddRecipient("ORD-7", "+393331111111");
  demo.orders.AddRecipient("ORD-7", "+393332222222");
  demo.unreachable = {"+393330000000"};
  demo.failing = {{"+393339999999", 111}};
  Account vap;
  vap.user = "vap";
  vap.password = "p\u20ac";
  vap.credit = 5;
  vap.vap_code = "V123";
  fixture.accounts.push_back(vap);
  return fixture;
}

const Credentials kDemo;
const Credentials kVap{"vap", "p\u20ac"};
const std::string kFive = "+393331000001,+393331000002,+393331000003,+393331000004,+393331000005";
const std::string kTwoParts = std::string(78, 'a') + " " + std::string(79, 'b');

TEST(Gateway, AnswersEachCommandAndChargesWhatItSends) {
  const auto send = [](std::string to, std::string text = "Hi", std::string tail = "",
                       const Credentials& who = kDemo) {
    return SendBody({{"0", "Orvu", std::move(to), std::move(text)}}, tail, who);
  };
  const struct {
    std::string body, answer;
    double demo_credit = 150.5, vap_credit = 5;
  } cases[] = {
      {Command(2, {{"SERIAL", kSerial}}, kDemo), "01\n150.50 credits"},
      {Command(7, {{"SERIAL", kSerial}}, kDemo), "01\ndemo\tS\t150.50\tIT\tS\t2\tS\tK1,K2,"},
      {Command(9, {{"ORDERID", "ORD-7"}, {"DEST", "+393331111111"}, {"SERIAL", kSerial}}, kDemo),
       "01\n1 deleted"},
      {Command(9, {{"ORDERID", "ORD-7"}, {"DEST", "+"}, {"SERIAL", kSerial}}, kDemo),
       "01\n2 deleted"},
      // The Windows-1252 byte of the euro sign instead of its low UTF-16 byte.
      {"CMD=2&UID=" + Digest("vap") + "&PWD=" + Encode(Md5Hex("p\x80")) +
           "&SERIAL=" + Encode(kSerial),
       "99"},
      {Command(2, {{"SERIAL", "OL7R2K9Q4M1X8C5V3N6C"}}, kDemo), "98"},
      {Command(3, {{"SERIAL", kSerial}}, kDemo), "98"},
      {Command(9, {{"DEST", "+"}, {"ORDERID", "ORD-7"}, {"SERIAL", kSerial}}, kDemo), "98"},
      {SendBody({{"0", "Orvu", "+393331111111"}, {"3", "Orvu", "+393332222222,+393333333333"}}, "",
                kDemo),
       "01 0;ORD-1;\t3;ORD-2;", 147.5},
      {send("+393331111111,+393330000000,+39333,+39abc123456,0039333111111,+3933311111111111"),
       "01 0;ORD-1;+393330000000,+39333,+39abc123456,0039333111111,+3933311111111111", 149.5},
      {send(kFive + ",+393331111111", kTwoParts), "01 0;ORD-1;", 138.5},
      {send("+393331111111", "Hi", "&TEST=1"), "01 0;TEST-1;"},
      // Fields are decoded one by one, so an encoded TAB or line break stays text.
      {SendBody({{"0", "O", "+393331111111", "a\tb\r\nc", "2024-02-29", "23:59"}}, "", kDemo),
       "01 0;ORD-1;", 149.5},
      {send(kFive, kTwoParts, "&VCODE=" + Encode("V123"), kVap), "97"},
      {send("+393331111111", "Hi", "&VCODE=" + Encode("V123"), kVap), "01 0;ORD-1;", 150.5, 4},
      {send("+393331111111", "Hi", "&VCODE=" + Encode("V12"), kVap), "94"},
  };
  for (const auto& c : cases) {
    Gateway gateway(Fixture(), kSerial);
    EXPECT_EQ(gateway.Handle(c.body).Text(), c.answer) << c.answer;
    const Json accounts = gateway.AccountsJson()["accounts"];
    EXPECT_DOUBLE_EQ(accounts[0]["credit"].get<double>(), c.demo_credit) << c.answer;
    EXPECT_DOUBLE_EQ(accounts[1]["credit"].get<double>(), c.vap_credit) << c.answer;
  }
}

TEST(Gateway, StatusFollowsTheDeliveryTimeline) {
  const struct {
    milliseconds later;
    std::string query, answer;
  } cases[] = {
      {milliseconds(2999), "ORD-1:+393331111111", "01\nORD-1\t2024-01-15,10:00:01,+393331111111,2"},
      {milliseconds(3000), "ORD-1:",
       "01\nORD-1\t2024-01-15,10:00:03,+393331111111,3;2024-01-15,10:00:03,+393339999999,-2,111"},
      {milliseconds(0), "NOPE:;ORD-1:+393331111111;ORD-1:+390000000000;ord-1:",
       "01\nNOPE\tNULL\r\nORD-1\t2024-01-15,10:00:00,+393331111111,0\r\nORD-1\tNULL\r\nord-"
       "1\tNULL"},
      {milliseconds(0), "", "98"},
  };
  for (const auto& c : cases) {
    Gateway gateway(Fixture(), kSerial, PinnedClock());
    ASSERT_EQ(gateway.Handle(SendBody({{"0", "O", "+393331111111,+393339999999"}}, "", kDemo)).code,
              "01");
    gateway.AdvanceClock(c.later);
    EXPECT_EQ(gateway.Handle(StatusBody(c.query)).Text(), c.answer) << c.query;
  }
}

// The component sends dates from year 100 to 9999; the clock reaches about 1678 to 2262.
TEST(Gateway, SendDatesBeyondTheClocksReachAreHeldAtItsEdgeAndSettleEndsDeliveries) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"9999-12-31", 1}, {"2300-01-01", 1}, {"1030-05-06", 0}, {"0001-01-01", 0}};
  for (const auto& [date, pending] : cases) {
    Gateway gateway(DemoFixture(), kSerial, PinnedClock());
    const Answer sent = gateway.Handle(SendBody({{"0", "O", "+393331111111", "Hi", date}}));
    ASSERT_EQ(sent.Text(), "01 0;ORD-1;") << date;
    gateway.AdvanceClock(std::chrono::hours(1));
    EXPECT_EQ(gateway.SettleDeliveries(), pending) << date;
    EXPECT_EQ(gateway.Handle(StatusBody("ORD-1:")).Text().back(), '3') << date;
    EXPECT_EQ(gateway.SettleDeliveries(), 0U);
    gateway.Reset();
    EXPECT_EQ(gateway.Handle(StatusBody("ORD-1:")).Text(), "01\nORD-1\tNULL");
  }
}

TEST(Gateway, AConfirmedDownloadIsDeliveredOnceAndKeysKeepTheirReplies) {
  Gateway gateway(ParseFixture(Json::parse(R"({"accounts": [{
      "user": "demo", "password": "demo-password", "reception_keys": [
        {"key": "K1", "autoresponder": "Back on Monday", "messages": [
          {"sent": "2006-01-20 10:15:00", "sender": "+39333111", "text": "Ciao"},
          {"sent": "2006-01-20 10:16:00", "sender": "+39333222", "text": "Si"}]},
        "K2", {"key": "OLD", "expired": true}]}]})")),
                  kSerial);
  const auto key = [](int number, const std::string& name, const Fields& more = {}) {
    Fields fields = {{"SERIAL", kSerial}, {"KEY", name}};
    if (number >= 16) std::swap(fields[0], fields[1]);
    fields.insert(fields.end(), more.begin(), more.end());
    return Command(number, fields);
  };
  const std::pair<std::string, std::string> steps[] = {
      {Command(5, {{"SERIAL", kSerial}}), "89"},  // no download to confirm
      {key(6, "K1"), "01\n2"},
      {key(4, "K1"),
       "01\n2 2006-01-20\t10:15:00\t+39333111\tCiao\x1F"
       "2006-01-20\t10:16:00\t+39333222\tSi"},
      {Command(5, {{"SERIAL", kSerial}}), "01\n2 confirmed"},
      {key(6, "K1"), "01\n0"},
      {key(4, "K2"), "01\n0 "},
      {"receive", ""},  // arrives between the download and its confirmation
      {Command(5, {{"SERIAL", kSerial}}), "01\n0 confirmed"},
      {key(4, "K2"), "01\n1 2006-02-01\t08:00:00\t+39347000\tLate"},
      {key(16, "K1"), "01\nBack on Monday"},
      {key(16, "K2"), std::string("01\n") + kDefaultAutoresponder},
      {Command(17, {{"KEY", "K2"}, {"AUTORESPONDER", "Luned\u00ec"}, {"SERIAL", kSerial}}),
       "01\nautoresponder set"},
      {key(16, "K2"), "01\nLuned\u00ec"},
      {Command(17, {{"KEY", "OLD"}, {"AUTORESPONDER", "x"}, {"SERIAL", kSerial}}), "93"},
      {key(4, "K9"), "93"},
  };
  for (const auto& [body, answer] : steps) {
    if (body == "receive")
      ASSERT_EQ(gateway.ReceiveSms("K2", {"2006-02-01 08:00:00", "+39347000", "Late"}), 1u);
    else
      EXPECT_EQ(gateway.Handle(body).Text(), answer) << body;
  }
}

TEST(Fault, TextParsesToTheFaultOrIsRefusedAndTheBoardCountsDown) {
  const std::pair<const char*, const char*> parsed[] = {
      {"code=00:<pre>Closed</pre>x2",
       R"({"target": "cgi", "kind": "code", "code": "00", "payload": "<pre>Closed</pre>", "count": 2})"},
      {"probe:http=404x1", R"({"target": "probe", "kind": "http", "status": 404, "count": 1})"}};
  for (const auto& [text, json] : parsed) {
    const Json expected = Json::parse(json);
    EXPECT_EQ(FaultToJson(ParseFault(text)), expected) << text;
    EXPECT_EQ(FaultToJson(FaultFromJson(expected)), expected) << text;
  }
  for (const char* text :
       {"", "boom", "web:empty", "code=9", "delay=-5", "http=200", "emptyx0", "drop x3"})
    EXPECT_THROW(ParseFault(text), FaultError) << text;

  FaultBoard board;
  for (const char* text : {"emptyx2", "code=96", "probe:dropx1"})
    board.Add(ParseFault(text));
  std::string seen;
  for (int i = 0; i < 3; ++i)
    seen += FaultToJson(*board.Take(FaultTarget::kCgi))["kind"].get<std::string>() + " ";
  EXPECT_EQ(seen, "empty empty code ");
  EXPECT_TRUE(board.Take(FaultTarget::kProbe));
  EXPECT_FALSE(board.Take(FaultTarget::kProbe));  // its one request is spent
  board.Clear();
  EXPECT_FALSE(board.Take(FaultTarget::kCgi));
}

}  // namespace
}  // namespace orvulink::sim
