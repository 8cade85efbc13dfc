#include "sim/accounts.hpp"

#include <gtest/gtest.h>

namespace orvulink::sim {
namespace {

using Json = nlohmann::json;

TEST(Accounts, DemoFixtureIsTheDocumentedAccount) {
  const AccountFixture fixture = DemoFixture();
  ASSERT_EQ(fixture.accounts.size(), 1U);
  const Account& demo = fixture.accounts[0];
  EXPECT_EQ(demo.user, "demo");
  EXPECT_EQ(demo.password, "demo-password");
  EXPECT_DOUBLE_EQ(demo.credit, 150.5);
  EXPECT_TRUE(fixture.status_service && demo.status_query && demo.abroad);
  ASSERT_EQ(demo.reception_keys.size(), 2U);
  EXPECT_EQ(demo.reception_keys[0].key, "K1");
  EXPECT_EQ(demo.reception_keys[1].key, "K2");
}

TEST(Accounts, ExampleFileLoads) {
  const AccountFixture fixture = LoadFixtureFile(ORVULINK_SIM_EXAMPLE_ACCOUNTS);
  ASSERT_EQ(fixture.accounts.size(), 2U);
  EXPECT_EQ(fixture.accounts[0].orders.orders().at("ORD-1001").recipients.size(), 2U);
  EXPECT_EQ(fixture.accounts[1].user, "universit\u00e0");
  EXPECT_EQ(fixture.accounts[1].reception_keys.at(0).autoresponder, "Grazie, a presto");
  EXPECT_FALSE(fixture.accounts[1].abroad);
}

TEST(Accounts, DefaultsFillWhatTheFixtureLeavesOut) {
  const auto fixture = ParseFixture(Json::parse(R"({"accounts":[{"user":"u","password":"p"}]})"));
  const Account& account = fixture.accounts.at(0);
  EXPECT_TRUE(fixture.status_service);
  EXPECT_DOUBLE_EQ(account.credit, 0.0);
  EXPECT_EQ(account.nation, "IT");
  EXPECT_TRUE(account.reception_keys.empty());
}

TEST(Accounts, JsonFormRoundTrips) {
  const Json once = FixtureToJson(LoadFixtureFile(ORVULINK_SIM_EXAMPLE_ACCOUNTS));
  EXPECT_EQ(FixtureToJson(ParseFixture(once)), once);
}

class FixtureRefused : public testing::TestWithParam<const char*> {};

TEST_P(FixtureRefused, WithFixtureError) {
  EXPECT_THROW(ParseFixture(Json::parse(GetParam())), FixtureError);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, FixtureRefused,
    testing::Values(R"([])", R"({})", R"({"accounts":{}})", R"({"accounts":[{"user":"u"}]})",
                    R"({"accounts":[{"user":"","password":"p"}]})",
                    R"({"accounts":[{"user":"u","password":"p"},{"user":"u","password":"q"}]})",
                    R"({"accounts":[{"user":"u","password":"p","credit":"lots"}]})",
                    R"({"accounts":[{"user":"u","password":"p","reception_keys":"K1"}]})",
                    R"({"accounts":[{"user":"u","password":"p","reception_keys":[{}]}]})",
                    R"({"accounts":[{"user":"u","password":"p","orders":["A"]}]})",
                    R"({"accounts":[{"user":"u","password":"p","orders":{"A":"+39"}}]})"));

TEST(Accounts, MissingOrBrokenFileIsAFixtureError) {
  EXPECT_THROW(LoadFixtureFile("/nonexistent/accounts.json"), FixtureError);
  EXPECT_THROW(LoadFixtureFile(__FILE__), FixtureError);  // C++ is not JSON
}

TEST(OrderBook, DeletesOneRecipientOrAllOfThem) {
  OrderBook book;
  book.AddRecipient("A", "+391");
  book.AddRecipient("A", "+392");
  book.AddRecipient("A", "+391");
  book.AddRecipient("B", "+393");
  EXPECT_EQ(book.Delete("A", "+391"), 2U);  // every message to that recipient
  EXPECT_EQ(book.Delete("A", "+399"), 0U);
  EXPECT_EQ(book.Delete("Z", "+"), 0U);
  EXPECT_EQ(book.Delete("A", "+"), 1U);
  EXPECT_FALSE(book.orders().contains("A"));  // an order with no one left is gone
  EXPECT_TRUE(book.orders().contains("B"));
}

}  // namespace
}  // namespace orvulink::sim
