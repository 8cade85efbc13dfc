#include <gtest/gtest.h>

#include "command_builder.hpp"
#include "sim/account_commands.hpp"
#include "sim/gateway.hpp"
#include "sim/protocol.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;

AccountFixture FixtureWithOrders() {
  AccountFixture fixture = DemoFixture();
  fixture.accounts[0].orders.AddRecipient("ORD-1", "+393331111111");
  fixture.accounts[0].orders.AddRecipient("ORD-1", "+393332222222");
  Account other;
  other.user = "universit\u00e0";
  other.password = "p\u00e4ssw\u00f6rd";
  other.credit = 7;
  other.status_query = false;
  other.abroad = false;
  fixture.accounts.push_back(other);
  return fixture;
}

struct DispatchCase {
  const char* name;
  std::string body;
  std::string answer_text;
};

void PrintTo(const DispatchCase& c, std::ostream* os) {
  *os << c.name;
}

class GatewayAnswers : public testing::TestWithParam<DispatchCase> {};

TEST_P(GatewayAnswers, AnswerText) {
  Gateway gateway(FixtureWithOrders(), Serial());
  EXPECT_EQ(gateway.Handle(GetParam().body).Text(), GetParam().answer_text);
}

const Credentials kDemo;
const Credentials kLatin1{"universit\u00e0", "p\u00e4ssw\u00f6rd"};
const Credentials kWrongPassword{"demo", "demo-passwore"};
const Credentials kUnknownUser{"nobody", "demo-password"};

std::string Credit(const Credentials& who = kDemo) {
  return Command(2, who, {{"SERIAL", Serial()}});
}

INSTANTIATE_TEST_SUITE_P(
    Commands, GatewayAnswers,
    testing::Values(
        DispatchCase{"Credit", Credit(), "01\n150.50 credits"},
        DispatchCase{"CreditOfLatin1User", Credit(kLatin1), "01\n7.00 credits"},
        DispatchCase{"UserInfo", Command(7, kDemo, {{"SERIAL", Serial()}}),
                     "01\ndemo\tS\t150.50\tIT\tS\t2\tS\tK1,K2,"},
        DispatchCase{"UserInfoWithoutKeys", Command(7, kLatin1, {{"SERIAL", Serial()}}),
                     "01\nuniversit\u00e0\tS\t7.00\tIT\tN\t0\tN\tNULL"},
        DispatchCase{
            "DeleteOneRecipient",
            Command(9, kDemo,
                    {{"ORDERID", "ORD-1"}, {"DEST", "+393331111111"}, {"SERIAL", Serial()}}),
            "01\n1 deleted"},
        DispatchCase{"DeleteWholeOrder",
                     Command(9, kDemo, {{"ORDERID", "ORD-1"}, {"DEST", "+"}, {"SERIAL", Serial()}}),
                     "01\n2 deleted"},
        DispatchCase{"DeleteUnknownOrder",
                     Command(9, kDemo, {{"ORDERID", "NOPE"}, {"DEST", "+"}, {"SERIAL", Serial()}}),
                     "01\n0 deleted"},
        DispatchCase{
            "OtherUsersOrder",
            Command(9, kLatin1, {{"ORDERID", "ORD-1"}, {"DEST", "+"}, {"SERIAL", Serial()}}),
            "01\n0 deleted"},
        DispatchCase{"WrongPassword", Credit(kWrongPassword), "99"},
        DispatchCase{"UnknownUser", Credit(kUnknownUser), "99"},
        DispatchCase{"NoCredentials", "CMD=2&UID=&PWD=&SERIAL=" + Encode(Serial()), "99"},
        DispatchCase{"EmptyCommand", "", "98"},
        DispatchCase{"WrongSerial", Command(2, kDemo, {{"SERIAL", "OL7R2K9Q4M1X8C5V3N6C"}}), "98"},
        DispatchCase{"MissingSerial", Command(2, kDemo, {}), "98"},
        DispatchCase{"UnknownCommand", Command(3, kDemo, {{"SERIAL", Serial()}}), "98"},
        DispatchCase{"CommandNotANumber", "CMD=X&UID=&PWD=&SERIAL=" + Encode(Serial()), "98"},
        DispatchCase{"CommandNotFirst", "UID=&CMD=2&PWD=&SERIAL=" + Encode(Serial()), "98"},
        DispatchCase{"FieldsOutOfOrder",
                     Command(9, kDemo, {{"DEST", "+"}, {"ORDERID", "ORD-1"}, {"SERIAL", Serial()}}),
                     "98"},
        DispatchCase{"SerialNotLast",
                     Command(9, kDemo, {{"SERIAL", Serial()}, {"ORDERID", "ORD-1"}, {"DEST", "+"}}),
                     "98"},
        DispatchCase{"ExtraField", Command(2, kDemo, {{"SERIAL", Serial()}, {"TEST", "1"}}), "98"},
        DispatchCase{"BrokenEscape", Credit() + "%4", "98"},
        // a wrong serial wins over wrong credentials: the command is refused before login
        DispatchCase{"WrongSerialAndPassword", Command(2, kWrongPassword, {{"SERIAL", "X"}}),
                     "98"}),
    CaseName<DispatchCase>);

TEST(Gateway, DeleteChangesTheAccountsAndResetRestoresThem) {
  Gateway gateway(FixtureWithOrders(), Serial());
  const std::string remove_all =
      Command(9, kDemo, {{"ORDERID", "ORD-1"}, {"DEST", "+"}, {"SERIAL", Serial()}});
  EXPECT_EQ(gateway.Handle(remove_all).payload, "2 deleted");
  EXPECT_EQ(gateway.Handle(remove_all).payload, "0 deleted");
  EXPECT_TRUE(gateway.AccountsJson()["accounts"][0]["orders"].empty());
  gateway.Reset();
  EXPECT_EQ(gateway.AccountsJson()["accounts"][0]["orders"]["ORD-1"].size(), 2U);
}

TEST(Gateway, EuroInAPasswordIsDigestedAsTheComponentDigestsIt) {
  AccountFixture fixture = DemoFixture();
  fixture.accounts[0].password = "pw\u20ac";
  Gateway gateway(fixture, Serial());
  EXPECT_EQ(gateway.Handle(Credit({"demo", "pw\u20ac"})).code, "01");
  const std::string code_page_digest = Md5Hex("pw\x80");  // the Windows-1252 byte instead
  const std::string body = "CMD=2&UID=" + Encode(Md5Hex("demo")) +
                           "&PWD=" + Encode(code_page_digest) + "&SERIAL=" + Encode(Serial());
  EXPECT_EQ(gateway.Handle(body).code, "99");
}

TEST(Gateway, ServiceStateIsTheGatewaysNotTheAccounts) {
  AccountFixture fixture = DemoFixture();
  fixture.status_service = false;
  Gateway gateway(fixture, Serial());
  EXPECT_EQ(gateway.Handle(Command(7, kDemo, {{"SERIAL", Serial()}})).payload,
            "demo\tN\t150.50\tIT\tS\t2\tS\tK1,K2,");
}

TEST(Gateway, AnotherSerialTokenCanBeRequired) {
  Gateway gateway(DemoFixture(), "ABCDEFGHIJ0123456789");
  EXPECT_EQ(gateway.Handle(Credit()).code, "98");
  EXPECT_EQ(gateway.Handle(Command(2, kDemo, {{"SERIAL", "ABCDEFGHIJ0123456789"}})).code, "01");
}

TEST(CommandTable, EveryCommandCarriesTheSerialOnce) {
  for (const CommandEntry& entry : CommandTable()) {
    EXPECT_EQ(std::count(entry.fields.begin(), entry.fields.end(), "SERIAL"), 1) << entry.number;
    EXPECT_EQ(FindCommand(entry.number), &entry);
  }
  EXPECT_EQ(FindCommand(3), nullptr);
}

struct CreditCase {
  double credit;
  const char* text;
};

void PrintTo(const CreditCase& c, std::ostream* os) {
  *os << c.text;
}

class CreditFormat : public testing::TestWithParam<CreditCase> {};

TEST_P(CreditFormat, DotAndTwoDecimals) {
  EXPECT_EQ(FormatCredit(GetParam().credit), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Credits, CreditFormat,
                         testing::Values(CreditCase{150.5, "150.50"}, CreditCase{0, "0.00"},
                                         CreditCase{1234.567, "1234.57"}, CreditCase{-3.2, "-3.20"},
                                         CreditCase{1e9, "1000000000.00"}));

TEST(Answer, PageIsFramedByExactlySixteenAndTwentyCharacters) {
  const std::string page = FramePage(Success("\u00e8 \u20ac"));
  EXPECT_EQ(page, "<html>\r\n<body>\r\n01\n\xE8 \x80\r\n</body>\r\n</html>\r\n");
  EXPECT_EQ(page.substr(16, page.size() - 36), "01\n\xE8 \x80");
  EXPECT_EQ(FramePage(Failure("98")), "<html>\r\n<body>\r\n98\r\n</body>\r\n</html>\r\n");
}

}  // namespace
}  // namespace orvulink::sim
