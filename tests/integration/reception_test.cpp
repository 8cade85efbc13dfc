// Reception against the gateway simulator: the key list, automatic replies, downloads with and
// without messages, confirmed and unconfirmed. The gateway's refusals, test mode and messages
// arriving later are the unit and simulator tests'.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/enums.hpp>
#include <orvulink/receive.hpp>

#include <string>
#include <utility>
#include <vector>

#include "integration/integration_support.hpp"
#include "sim/accounts.hpp"

namespace orvulink::integration {
namespace {

std::string DemoCommand(int command, std::vector<std::pair<std::string, std::string>> fields) {
  return ExpectedCommand(command, kDemoUser, kDemoPassword, fields);
}

std::string Serial() {
  return std::string(kSerial);
}

sim::SimulatorConfig ReceptionConfig() {
  sim::SimulatorConfig config;
  config.accounts = sim::ParseFixture({
      {"accounts",
       {{
           {"user", std::string(kDemoUser)},
           {"password", std::string(kDemoPassword)},
           {"reception_keys",
            {{{"key", "K1"},
              {"autoresponder", "Back on Monday"},
              {"messages",
               {{{"sent", "2006-01-20 10:15:00"}, {"sender", "+39333111"}, {"text", "Ciao"}},
                {{"sent", "2006-01-20 10:16:00"}, {"sender", "+39333222"}, {"text", "Si"}}}}},
             "K2",
             {{"key", "OLD"}, {"expired", true}}}},
       }}},
  });
  return config;
}

class ReceptionTest : public ::testing::Test {
 protected:
  std::shared_ptr<OrvuReceptionKey> FilledKey(const char* key) {
    EXPECT_EQ(env.control().FillReceptionKeys(), VariantBool(true));
    auto keys = env.control().ReceptionKeys();
    return keys ? keys->ItemReceptionKey(BStr(key)) : nullptr;
  }
  static std::vector<std::string> Texts(const std::shared_ptr<OrvuReceivedMessages>& messages) {
    std::vector<std::string> texts;
    if (messages) {
      for (const auto& message : *messages)
        texts.push_back(Utf8(message->Text()));
    }
    return texts;
  }

  GatewayEnvironment env{Scheme::kHttp, ReceptionConfig()};
};

TEST_F(ReceptionTest, FillListsEveryKeyWithItsReplyAndCount) {
  ASSERT_EQ(env.control().FillReceptionKeys(), VariantBool(true));
  const auto keys = env.control().ReceptionKeys();
  ASSERT_EQ(keys->Count(), 3);
  EXPECT_EQ(Utf8(keys->Item(1)->TextAutoResponder()), "Back on Monday");
  EXPECT_EQ(keys->Item(1)->MessageFromRecive(), 2);
  EXPECT_EQ(Utf8(keys->Item(2)->TextAutoResponder()), sim::kDefaultAutoresponder);
  EXPECT_EQ(keys->Item(2)->MessageFromRecive(), 0);
  EXPECT_EQ(Utf8(keys->Item(3)->KeyReceived()), "OLD");

  const auto commands = env.Commands();
  ASSERT_EQ(commands.size(), 7u);
  EXPECT_EQ(commands[0], DemoCommand(7, {{"SERIAL", Serial()}}));
  EXPECT_EQ(commands[1], DemoCommand(16, {{"KEY", "K1"}, {"SERIAL", Serial()}}));
  EXPECT_EQ(commands[2], DemoCommand(6, {{"SERIAL", Serial()}, {"KEY", "K1"}}));
}

TEST_F(ReceptionTest, SetAutoResponderReachesTheGateway) {
  const auto key = FilledKey("K2");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->SetAutoResponder(BStr("Torno lunedì")), VariantBool(true));
  EXPECT_EQ(
      Utf8(env.control().LastRequest()),
      DemoCommand(17, {{"KEY", "K2"}, {"AUTORESPONDER", "Torno luned\xEC"}, {"SERIAL", Serial()}}));
  ASSERT_EQ(key->Update(), VariantBool(true));
  EXPECT_EQ(Utf8(key->TextAutoResponder()), "Torno lunedì");
}

TEST_F(ReceptionTest, DownloadIsConfirmedOnceAndTheMessagesAreGone) {
  const auto key = FilledKey("K1");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  const auto messages = key->ReceivedMessages();
  EXPECT_EQ(Texts(messages), (std::vector<std::string>{"Ciao", "Si"}));
  EXPECT_EQ(Utf8(messages->Item(2)->PhoneGsm()), "+39333222");
  EXPECT_EQ(messages->Item(1)->DateTime(), Date::FromParts({2006, 1, 20, 10, 15, 0}));
  EXPECT_EQ(key->MessageFromRecive(), 0);  // refreshed after the check

  // Nothing new: the previous download stays.
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_EQ(key->ReceivedMessages(), messages);
  const auto commands = env.Commands();
  EXPECT_EQ(commands[commands.size() - 4], DemoCommand(4, {{"SERIAL", Serial()}, {"KEY", "K1"}}));
  EXPECT_EQ(commands[commands.size() - 3], DemoCommand(5, {{"SERIAL", Serial()}}));
}

}  // namespace
}  // namespace orvulink::integration
