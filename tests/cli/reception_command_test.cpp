// orvulink keys, receive and autoresponder against the simulator over HTTPS.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

constexpr char kAccounts[] = R"({"accounts": [{
    "user": "demo", "password": "demo-password",
    "reception_keys": [
      {"key": "K1", "autoresponder": "Back on Monday", "messages": [
        {"sent": "2006-01-20 10:15:00", "sender": "+39333111", "text": "Ciao"},
        {"sent": "2006-01-20 10:16:00", "sender": "+39333222", "text": "Si\tfine"}]},
      {"key": "K2", "autoresponder": "Hello"},
      {"key": "OLD", "expired": true}]}]})";

class ReceptionCommandTest : public GatewayCliTest {
 protected:
  void SetUp() override {
    StartGateway({"--accounts", WriteAccounts(kAccounts)});
    SaveSettings();
  }
  Completed Ok(const std::vector<std::string>& arguments) {
    auto result = Cli(arguments);
    EXPECT_EQ(result.exit_status, 0) << result.err;
    return result;
  }
};

TEST_F(ReceptionCommandTest, KeysListsRepliesAndWaitingCounts) {
  EXPECT_EQ(Ok({"keys"}).out,
            "K1\tBack on Monday\t2\n"
            "K2\tHello\t0\n"
            "OLD\tMessage received, thank you\t0\n");
  const Json keys = Json::parse(Ok({"--json", "keys"}).out);
  EXPECT_EQ(keys["ReceptionKeys"][0], (Json{{"KeyReceived", "K1"},
                                            {"TextAutoResponder", "Back on Monday"},
                                            {"MessageFromRecive", 2}}));
  EXPECT_EQ(keys["ReceptionKeys"].size(), 3u);
}

TEST_F(ReceptionCommandTest, ReceiveDownloadsOnceAndPrintsEachMessage) {
  EXPECT_EQ(Ok({"receive", "k1"}).out,
            "2006-01-20 10:15:00\t+39333111\tCiao\n"
            "2006-01-20 10:16:00\t+39333222\tSi\n");
  const auto again = Ok({"--json", "receive", "K1"});
  EXPECT_EQ(Json::parse(again.out),
            (Json{{"KeyReceived", "K1"}, {"ReceivedMessages", Json::array()}}));
  EXPECT_EQ(Ok({"receive", "K1"}).err, "no new messages on K1\n");
}

TEST_F(ReceptionCommandTest, ReceiveAsJsonNamesTheMembers) {
  const Json received = Json::parse(Ok({"--json", "receive", "K1"}).out);
  EXPECT_EQ(received["ReceivedMessages"][1],
            (Json{{"DateTime", "2006-01-20 10:16:00"}, {"PhoneGsm", "+39333222"}, {"Text", "Si"}}));
}

TEST_F(ReceptionCommandTest, AutoresponderChangesTheReply) {
  EXPECT_EQ(Ok({"autoresponder", "K2", "Torno lunedì"}).out, "Torno lunedì\n");
  EXPECT_EQ(Json::parse(Ok({"--json", "keys"}).out)["ReceptionKeys"][1]["TextAutoResponder"],
            "Torno lunedì");
}

TEST_F(ReceptionCommandTest, Refusals) {
  const struct {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{"autoresponder", "OLD", "x"},
       "error 28385: SMS gateway: autoresponder error (key is invalid or expired, or "
       "autoresponder text is invalid or already existing)\n"},
      {{"receive", "K9"}, "error: the account has no reception key \"K9\"\n"},
  };
  for (const auto& c : cases) {
    const auto result = Cli(c.arguments);
    EXPECT_EQ(result.exit_status, 1) << c.arguments[0];
    EXPECT_EQ(result.err, c.err) << c.arguments[0];
    EXPECT_EQ(result.out, "") << c.arguments[0];
  }
  EXPECT_EQ(Cli({"autoresponder", "K1"}).exit_status, 2);
}

}  // namespace
}  // namespace orvulink::cli_test
