// The simulator's account commands, its answer page and its account fixtures.
#include <gtest/gtest.h>

#include "command_builder.hpp"
#include "sim/account_commands.hpp"
#include "sim/accounts.hpp"
#include "sim/gateway.hpp"
#include "sim/protocol.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;

AccountFixture FixtureWithOrders() {
  AccountFixture fixture = DemoFixture();
  fixture.accounts[0].orders.AddRecipient("ORD-1", "+393331111111");
  fixture.accounts[0].orders.AddRecipient("ORD-1", "+393332222222");
  return fixture;
}

const Credentials kDemo;
const Credentials kWrongPassword{"demo", "demo-passwore"};

std::string Credit(const Credentials& who = kDemo) {
  return Command(2, who, {{"SERIAL", Serial()}});
}

TEST(Gateway, AnswersEachCommandOrRefusesIt) {
  const struct {
    const char* name;
    std::string body;
    std::string answer_text;
  } cases[] = {
      {"Credit", Credit(), "01\n150.50 credits"},
      {"UserInfo", Command(7, kDemo, {{"SERIAL", Serial()}}),
       "01\ndemo\tS\t150.50\tIT\tS\t2\tS\tK1,K2,"},
      {"DeleteOneRecipient",
       Command(9, kDemo, {{"ORDERID", "ORD-1"}, {"DEST", "+393331111111"}, {"SERIAL", Serial()}}),
       "01\n1 deleted"},
      {"DeleteWholeOrder",
       Command(9, kDemo, {{"ORDERID", "ORD-1"}, {"DEST", "+"}, {"SERIAL", Serial()}}),
       "01\n2 deleted"},
      {"WrongPassword", Credit(kWrongPassword), "99"},
      {"WrongSerial", Command(2, kDemo, {{"SERIAL", "OL7R2K9Q4M1X8C5V3N6C"}}), "98"},
      {"UnknownCommand", Command(3, kDemo, {{"SERIAL", Serial()}}), "98"},
      {"FieldsOutOfOrder",
       Command(9, kDemo, {{"DEST", "+"}, {"ORDERID", "ORD-1"}, {"SERIAL", Serial()}}), "98"},
  };
  for (const auto& c : cases) {
    Gateway gateway(FixtureWithOrders(), Serial());
    EXPECT_EQ(gateway.Handle(c.body).Text(), c.answer_text) << c.name;
  }
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

TEST(Answer, PageIsFramedByExactlySixteenAndTwentyCharacters) {
  const std::string page = FramePage(Success("\u00e8 \u20ac"));
  EXPECT_EQ(page, "<html>\r\n<body>\r\n01\n\xE8 \x80\r\n</body>\r\n</html>\r\n");
  EXPECT_EQ(page.substr(16, page.size() - 36), "01\n\xE8 \x80");
  EXPECT_EQ(FramePage(Failure("98")), "<html>\r\n<body>\r\n98\r\n</body>\r\n</html>\r\n");
}

using Json = nlohmann::json;

TEST(Accounts, ExampleFileLoadsAndItsJsonFormRoundTrips) {
  const AccountFixture fixture = LoadFixtureFile(ORVULINK_SIM_EXAMPLE_ACCOUNTS);
  ASSERT_EQ(fixture.accounts.size(), 2U);
  EXPECT_EQ(fixture.accounts[0].orders.orders().at("ORD-1001").recipients.size(), 2U);
  EXPECT_EQ(fixture.accounts[1].user, "universit\u00e0");
  EXPECT_EQ(fixture.accounts[1].reception_keys.at(0).autoresponder, "Grazie, a presto");
  EXPECT_FALSE(fixture.accounts[1].abroad);
  const Json once = FixtureToJson(fixture);
  EXPECT_EQ(FixtureToJson(ParseFixture(once)), once);
}

TEST(Accounts, RefusesAFixtureItCannotRead) {
  for (const char* document :
       {R"([])", R"({})", R"({"accounts":{}})", R"({"accounts":[{"user":"u"}]})",
        R"({"accounts":[{"user":"u","password":"p"},{"user":"u","password":"q"}]})",
        R"({"accounts":[{"user":"u","password":"p","reception_keys":[{}]}]})",
        R"({"accounts":[{"user":"u","password":"p","orders":{"A":"+39"}}]})"}) {
    EXPECT_THROW(ParseFixture(Json::parse(document)), FixtureError) << document;
  }
}

}  // namespace
}  // namespace orvulink::sim
