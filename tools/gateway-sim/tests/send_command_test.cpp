#include <gtest/gtest.h>

#include "send_builder.hpp"
#include "sim/gateway.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;

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

struct SendCase {
  const char* name;
  std::string body;
  std::string answer_text;
  double credit_left;
  std::size_t account = 0;  // the sender's index in the fixture
};

void PrintTo(const SendCase& c, std::ostream* os) {
  *os << c.name;
}

class SendAnswers : public testing::TestWithParam<SendCase> {};

TEST_P(SendAnswers, AnswerTextAndCharge) {
  Gateway gateway(SendFixture(), Serial());
  EXPECT_EQ(gateway.Handle(GetParam().body).Text(), GetParam().answer_text);
  const nlohmann::json accounts = gateway.AccountsJson()["accounts"];
  EXPECT_DOUBLE_EQ(accounts[GetParam().account]["credit"].get<double>(), GetParam().credit_left);
}

INSTANTIATE_TEST_SUITE_P(
    Sends, SendAnswers,
    testing::Values(
        SendCase{"OneRecordPerGroupInOrder",
                 SendBody({To("+393331111111"), To("+393332222222,+393333333333", "Bye", "3")}),
                 "01 0;ORD-1;\t3;ORD-2;", 7},
        SendCase{"RefusedNumbersAreEchoed",
                 SendBody({To("+393331111111,+393330000000,+39333,+39abc123456,0039333111111,"
                              "+3933311111111111")}),
                 "01 0;ORD-1;+393330000000,+39333,+39abc123456,0039333111111,+3933311111111111", 9},
        SendCase{"ShortestAndLongestNumbers", SendBody({To("+123456,+12345678901234")}),
                 "01 0;ORD-1;", 8},
        SendCase{"SeparatorsOfARefusedNumberAreDropped", SendBody({To("+39 333;1\t1")}),
                 "01 0;;+3933311", 10},
        SendCase{"AllRefusedGetsNoOrder", SendBody({To("+393330000000")}), "01 0;;+393330000000",
                 10},
        SendCase{"RepeatedRecipientIsOne", SendBody({To("+393331111111,+393331111111")}),
                 "01 0;ORD-1;", 9},
        SendCase{"EveryPartIsCharged", SendBody({To(kFive, kTwoParts)}), "01 0;ORD-1;", 0},
        SendCase{"NotEnoughCredit", SendBody({To("+393331111111," + kFive, kTwoParts)}), "97", 10},
        SendCase{"CreditCoversAllGroupsOrNone",
                 SendBody({To(kFive), To(kFive + ",+393331000006", "x", "1")}), "97", 10},
        SendCase{"TestModeChargesNothing", SendBody({To("+393331111111")}, "&TEST=1"),
                 "01 0;TEST-1;", 10},
        SendCase{"TestModeStillNeedsCredit",
                 SendBody({To("+393331111111," + kFive, kTwoParts)}, "&TEST=1"), "97", 10},
        SendCase{"TestMustBeOne", SendBody({To("+393331111111")}, "&TEST=0"), "98", 10},
        SendCase{"VapCodeRight", SendBody({To("+393331111111")}, kVapCode, kVap), "01 0;ORD-1;", 4,
                 1},
        SendCase{"VapCodeWrong", SendBody({To("+393331111111")}, "&VCODE=" + Encode("V12"), kVap),
                 "94", 5, 1},
        SendCase{"VapCodeMissing", SendBody({To("+393331111111")}, "", kVap), "94", 5, 1},
        SendCase{"TestBeforeVapCode", SendBody({To("+393331111111")}, "&TEST=1" + kVapCode, kVap),
                 "98", 5, 1},
        // encoded as a whole, the separators are text and the line has one field
        SendCase{"SeparatorsEncoded",
                 Command(14, {},
                         {{"SERIAL", Serial()},
                          {"SENDDATA", "0\tOrvu\t+393331111111\tHello\t0000-00-00\t00:00"}}),
                 "98", 10}),
    CaseName<SendCase>);

TEST(SendCommand, OrdersAreRecordedForDelete) {
  Gateway gateway(SendFixture(), Serial());
  ASSERT_EQ(gateway.Handle(SendBody({To("+393331111111,+393332222222")})).code, "01");
  ASSERT_EQ(gateway.Handle(SendBody({To("+393333333333")}, "&TEST=1")).Text(), "01 0;TEST-2;");
  const auto orders = [&] { return gateway.AccountsJson()["accounts"][0]["orders"]; };
  EXPECT_EQ(orders()["TEST-2"], (nlohmann::json{"+393333333333"}));
  const std::string remove_one =
      Command(9, {}, {{"ORDERID", "ORD-1"}, {"DEST", "+393331111111"}, {"SERIAL", Serial()}});
  EXPECT_EQ(gateway.Handle(remove_one).Text(), "01\n1 deleted");
  EXPECT_EQ(orders()["ORD-1"], (nlohmann::json{"+393332222222"}));
}

}  // namespace
}  // namespace orvulink::sim
