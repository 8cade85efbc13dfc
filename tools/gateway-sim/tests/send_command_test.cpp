// Sends and status queries: the send data, its records and charges, the delivery timeline, and
// the control endpoint moving simulated time on.
#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "send_builder.hpp"
#include "sim/gateway.hpp"
#include "sim/send_data.hpp"
#include "sim/simulator_thread.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;

TEST(SendData, FieldsAreDecodedOneByOneSoEncodedSeparatorsStayText) {
  const auto lines = ParseSendData(SendData(
      {{"0", "Caff\u00e8", "+393331111111,+393332222222", "a\tb\r\nc", "0000-00-00", "00:00"},
       {"7", "Orvu", "+393333333333", "x", "2024-02-29", "23:59"}}));
  ASSERT_TRUE(lines && lines->size() == 2);
  EXPECT_EQ((*lines)[0].sender, "Caff\u00e8");
  EXPECT_EQ((*lines)[0].recipients, (std::vector<std::string>{"+393331111111", "+393332222222"}));
  EXPECT_EQ((*lines)[0].text, "a\tb\r\nc");
  EXPECT_FALSE((*lines)[0].send_at);
  ASSERT_TRUE((*lines)[1].send_at);
  EXPECT_EQ((*lines)[1].send_at->day, 29);
  EXPECT_EQ((*lines)[1].send_at->minute, 59);
}

const Credentials kVap{"vap", "vap-password"};

// demo: credit 10, one unreachable number. vap: credit 5, sends need the VAP code "V123".
AccountFixture SendFixture() {
  AccountFixture fixture = DemoFixture();
  fixture.accounts[0].credit = 10;
  fixture.accounts[0].unreachable = {"+393330000000"};
  Account vap;
  vap.user = kVap.user;
  vap.password = kVap.password;
  vap.credit = 5;
  vap.vap_code = "V123";
  fixture.accounts.push_back(vap);
  return fixture;
}

SendLineSpec To(std::string recipients, std::string text = "Hello", std::string group = "0") {
  return SendLineSpec{std::move(group), "Orvu", std::move(recipients), std::move(text)};
}

const std::string kTwoParts = std::string(78, 'a') + " " + std::string(79, 'b');
const std::string kFive = "+393331000001,+393331000002,+393331000003,+393331000004,+393331000005";
const std::string kVapCode = "&VCODE=" + Encode("V123");

TEST(SendCommand, AnswerTextAndCharge) {
  const struct {
    const char* name;
    std::string body;
    std::string answer_text;
    double credit_left;
    std::size_t account = 0;  // the sender's index in the fixture
  } cases[] = {
      {"OneRecordPerGroupInOrder",
       SendBody({To("+393331111111"), To("+393332222222,+393333333333", "Bye", "3")}),
       "01 0;ORD-1;\t3;ORD-2;", 7},
      {"RefusedNumbersAreEchoed",
       SendBody({To("+393331111111,+393330000000,+39333,+39abc123456,0039333111111,"
                    "+3933311111111111")}),
       "01 0;ORD-1;+393330000000,+39333,+39abc123456,0039333111111,+3933311111111111", 9},
      {"EveryPartIsCharged", SendBody({To(kFive, kTwoParts)}), "01 0;ORD-1;", 0},
      {"NotEnoughCredit", SendBody({To("+393331111111," + kFive, kTwoParts)}), "97", 10},
      {"TestModeChargesNothing", SendBody({To("+393331111111")}, "&TEST=1"), "01 0;TEST-1;", 10},
      {"VapCodeRight", SendBody({To("+393331111111")}, kVapCode, kVap), "01 0;ORD-1;", 4, 1},
      {"VapCodeWrong", SendBody({To("+393331111111")}, "&VCODE=" + Encode("V12"), kVap), "94", 5,
       1},
  };
  for (const auto& c : cases) {
    Gateway gateway(SendFixture(), Serial());
    EXPECT_EQ(gateway.Handle(c.body).Text(), c.answer_text) << c.name;
    const nlohmann::json accounts = gateway.AccountsJson()["accounts"];
    EXPECT_DOUBLE_EQ(accounts[c.account]["credit"].get<double>(), c.credit_left) << c.name;
  }
}

using std::chrono::milliseconds;

constexpr char kGood[] = "+393331111111";
constexpr char kFailing[] = "+393339999999";

AccountFixture StatusFixture() {
  AccountFixture fixture = DemoFixture();
  fixture.accounts[0].failing = {{kFailing, 111}};
  return fixture;
}

// A gateway on the pinned clock, 2024-01-15 10:00:00; its first send becomes ORD-1.
class StatusQuery : public testing::Test {
 protected:
  StatusQuery() : gateway_(StatusFixture(), Serial(), PinnedClock()) {}

  void Send(const SendLineSpec& line, const std::string& tail = "") {
    ASSERT_EQ(gateway_.Handle(SendBody({line}, tail)).code, "01");
  }
  std::string Ask(const std::string& query) { return gateway_.Handle(StatusBody(query)).Text(); }

  Gateway gateway_;
};

TEST(StatusQueryAnswers, AfterOneSend) {
  const struct {
    const char* name;
    milliseconds later;  // after the send
    std::string query;
    std::string answer_text;
  } cases[] = {
      {"AtTheGateway", milliseconds(999), "ORD-1:",
       "01\nORD-1\t2024-01-15,10:00:00,+393331111111,0;"
       "2024-01-15,10:00:00,+393339999999,0"},
      {"WithTheOperator", milliseconds(2999), "ORD-1:+393331111111",
       "01\nORD-1\t2024-01-15,10:00:01,+393331111111,2"},
      {"DeliveredOrFailedWithItsReason", milliseconds(3000), "ORD-1:",
       "01\nORD-1\t2024-01-15,10:00:03,+393331111111,3;"
       "2024-01-15,10:00:03,+393339999999,-2,111"},
      {"LinesInQueryOrderUnknownIsNull", milliseconds(0),
       "NOPE:;ORD-1:+393331111111;ORD-1:+390000000000;ord-1:",
       "01\nNOPE\tNULL\r\nORD-1\t2024-01-15,10:00:00,+393331111111,0\r\n"
       "ORD-1\tNULL\r\nord-1\tNULL"},
      {"EmptyQuery", milliseconds(0), "", "98"},
  };
  for (const auto& c : cases) {
    Gateway gateway(StatusFixture(), Serial(), PinnedClock());
    ASSERT_EQ(gateway.Handle(SendBody({{"0", "Orvu", std::string(kGood) + "," + kFailing}})).code,
              "01");
    gateway.AdvanceClock(c.later);
    EXPECT_EQ(gateway.Handle(StatusBody(c.query)).Text(), c.answer_text) << c.name;
  }
}

TEST_F(StatusQuery, SettlingEndsPendingDeliveriesNowAndResetForgetsThem) {
  Send({"0", "Orvu", kGood});
  Send({"0", "Orvu", kFailing}, "&TEST=1");
  gateway_.AdvanceClock(milliseconds(1500));
  EXPECT_EQ(gateway_.SettleDeliveries(), 2U);
  EXPECT_EQ(Ask("ORD-1:;TEST-2:"),
            "01\nORD-1\t2024-01-15,10:00:01,+393331111111,3\r\n"
            "TEST-2\t2024-01-15,10:00:01,+393339999999,-2,111");
  EXPECT_EQ(gateway_.SettleDeliveries(), 0U);
  gateway_.Reset();
  EXPECT_EQ(Ask("ORD-1:"), "01\nORD-1\tNULL");
  Send({"0", "Orvu", kGood});  // the clock is back at the pinned time
  EXPECT_EQ(Ask("ORD-1:"), "01\nORD-1\t2024-01-15,10:00:00,+393331111111,0");
}

using Json = nlohmann::json;

class DeliveryControl : public testing::Test {
 protected:
  DeliveryControl() : client_("127.0.0.1", simulator_.port()) {}

  // The page without its 16-character head and 20-character tail.
  std::string AnswerText(const std::string& body) {
    const auto result =
        client_.Post("/cgi/orvusms_gw_plus.php", body, "application/x-www-form-urlencoded");
    if (!result || result->body.size() < 36) return "<no answer>";
    return result->body.substr(16, result->body.size() - 36);
  }
  httplib::Result Control(const char* path, const std::string& body = "") {
    return client_.Post(path, body, "application/json");
  }
  // The status code of ORD-1's only recipient.
  std::string FirstOrderState() {
    const std::string text = AnswerText(StatusBody("ORD-1:"));
    return text.substr(text.rfind(',') + 1);
  }

  SimulatorThread simulator_;
  httplib::Client client_;
};

TEST_F(DeliveryControl, AdvanceAndSettleMoveDeliveriesOnWithoutWaiting) {
  ASSERT_EQ(AnswerText(SendBody({{}})), "01 0;ORD-1;");
  ASSERT_EQ(AnswerText(SendBody({{}})), "01 0;ORD-2;");
  EXPECT_EQ(FirstOrderState(), "0");
  const auto advanced = Control("/control/advance", R"({"ms": 1000})");
  ASSERT_TRUE(advanced && advanced->status == 200);
  EXPECT_TRUE(Json::parse(advanced->body).contains("now"));
  EXPECT_EQ(FirstOrderState(), "2");
  const auto settled = Control("/control/settle");
  ASSERT_TRUE(settled);
  EXPECT_EQ(Json::parse(settled->body), (Json{{"settled", 2}}));
  EXPECT_EQ(FirstOrderState(), "3");
  ASSERT_TRUE(Control("/control/reset"));
  EXPECT_LT(simulator_.state().gateway.Now() - std::chrono::system_clock::now(),
            std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace orvulink::sim
