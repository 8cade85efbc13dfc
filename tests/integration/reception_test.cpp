// Reception against the gateway simulator: the key list, automatic replies, downloads with and
// without messages, confirmed and unconfirmed, and the gateway's refusals.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/enums.hpp>
#include <orvulink/receive.hpp>

#include <string>
#include <utility>
#include <vector>

#include "control/control_state.hpp"
#include "integration/integration_support.hpp"
#include "sim/accounts.hpp"

namespace orvulink::integration {
namespace {

using testing::CatchAutomationError;

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
  void Receive(const char* key, const char* sender, const char* text) {
    ASSERT_TRUE(env.simulator().state().gateway.ReceiveSms(
        key, sim::IncomingSms{"2006-02-01 08:00:00", sender, text}));
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

TEST_F(ReceptionTest, TheGatewayRefusesAnExpiredKeyOrAnEmptyText) {
  env.control().FillReceptionKeys();
  const auto keys = env.control().ReceptionKeys();
  const struct {
    const char* key;
    const char* text;
  } cases[] = {{"OLD", "Hello"}, {"K1", ""}};
  for (const auto& c : cases) {
    const auto key = keys->ItemReceptionKey(BStr(c.key));
    const BStr before = key->TextAutoResponder();
    const auto error = CatchAutomationError([&] { key->SetAutoResponder(BStr(c.text)); });
    ASSERT_TRUE(error) << c.key;
    EXPECT_EQ(error->Number(), ORVULINK_ERROR_AUTORESPONDER) << c.key;
    EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_AUTORESPONDER) << c.key;
    EXPECT_EQ(key->TextAutoResponder(), before) << c.key;
  }
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

TEST_F(ReceptionTest, AnInjectedMessageIsDownloaded) {
  const auto key = FilledKey("K2");
  Receive("K2", "+39347000", "Hello");
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_EQ(Texts(key->ReceivedMessages()), std::vector<std::string>{"Hello"});
}

TEST_F(ReceptionTest, AnUnconfirmedDownloadComesAgain) {
  const auto key = FilledKey("K1");
  env.AddFault("delay=0x1");  // the download itself answers normally
  env.AddFault("code=89x1");  // its check does not confirm it
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_FALSE(key->ReceivedMessages());
  EXPECT_EQ(key->MessageFromRecive(), 2);  // no refresh after an unconfirmed download

  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_EQ(Texts(key->ReceivedMessages()), (std::vector<std::string>{"Ciao", "Si"}));
}

TEST_F(ReceptionTest, TestModeLeavesTheMessagesWaiting) {
  const auto key = FilledKey("K1");
  env.control().TestMode(VariantBool(true));
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_EQ(Texts(key->ReceivedMessages()), (std::vector<std::string>{"Ciao", "Si"}));
  EXPECT_EQ(key->MessageFromRecive(), 2);
}

TEST_F(ReceptionTest, GatewayRefusalsReachTheHost) {
  const auto key = FilledKey("K1");
  env.AddFault("code=96x1");
  const auto error = CatchAutomationError([&] { key->GetIncomingMessages(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), ORVULINK_ERROR_GATEWAY);
  EXPECT_FALSE(key->ReceivedMessages());

  env.control().Password(BStr("wrong"));
  control::ThisThreadState().UserInfoCache.clear();
  EXPECT_EQ(CatchAutomationError([&] { env.control().FillReceptionKeys(); })->Number(),
            ORVULINK_ERROR_AUTHENTICATION);
}

}  // namespace
}  // namespace orvulink::integration
