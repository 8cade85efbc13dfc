// Sending against the gateway simulator over real HTTP and HTTPS: the exact bytes of the send
// command, accepted and refused recipients, the gateway's refusal of the whole command, and a
// dropped connection that must not lead to a second send.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/send.hpp>

#include <string>
#include <vector>

#include "integration/integration_support.hpp"
#include "sim/accounts.hpp"

namespace orvulink::integration {
namespace {

using testing::CatchAutomationError;

constexpr const char* kUnreachable = "+393330000000";

sim::SimulatorConfig SendConfig() {
  return DemoAccountWith({{"vap_code", "VAP0123456"}, {"unreachable", {kUnreachable}}});
}

std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (const auto& field : fields)
    line += (line.empty() ? "" : "\t") + PercentEveryByte(field);
  return line;
}

class SendTest : public ::testing::TestWithParam<Scheme> {
 protected:
  void SetUp() override {
    env.control().VAPcode("VAP0123456");
    list = env.control().MessagesToSend();
  }
  void AddGroupAndSingle() {
    Collection phones;
    for (const char* phone : {"+393331111111", kUnreachable, "+393332222222"})
      phones.Add(phone);
    list->AddGroupMessage(phones, "Meeting at 10", "Orvu");
    list->AddMessage("+393333333333", "Later", "Orvu", Date::FromParts({2031, 1, 2, 3, 4, 0}));
  }
  std::vector<OrvuLink_StatusMessage> Statuses() const {
    std::vector<OrvuLink_StatusMessage> statuses;
    for (const auto& message : *list)
      statuses.push_back(message->Status());
    return statuses;
  }

  GatewayEnvironment env{GetParam(), SendConfig()};
  std::shared_ptr<OrvuSendMessages> list;
};

TEST_P(SendTest, AGroupAndASingleMessageGoOutInOneCommand) {
  AddGroupAndSingle();
  EXPECT_EQ(list->SendMessage(), VariantBool(true));

  const std::string expected =
      ExpectedCommand(14, kDemoUser, kDemoPassword, {{"SERIAL", std::string(kSerial)}}) +
      "&SENDDATA=" +
      Line({"0", "Orvu", std::string("+393331111111,") + kUnreachable + ",+393332222222",
            "Meeting at 10", "0000-00-00", "00:00"}) +
      "\r\n" + Line({"1", "Orvu", "+393333333333", "Later", "2031-01-02", "03:04"}) +
      "&VCODE=" + PercentEveryByte("VAP0123456");
  EXPECT_EQ(env.Commands(), std::vector<std::string>{expected});
  EXPECT_EQ(Utf8(env.control().LastRequest()), expected);

  const auto FORWARD = ORVULINK_MESSAGESEND_FORWARD;
  EXPECT_EQ(Statuses(), (std::vector{FORWARD, ORVULINK_MESSAGESEND_ERRGATEWAY, FORWARD, FORWARD}));
  EXPECT_EQ(list->CountMessageForward(), 3);
  EXPECT_EQ(list->CountMessageError(), 1);
  EXPECT_EQ(list->CountMessageToSend(), 0);
  for (std::int16_t accepted : {1, 3, 4}) {
    auto ids = list->Item(accepted)->OrderID();
    ASSERT_NE(ids, nullptr);
    EXPECT_GE(ids->Count(), 1);
  }
  // The two recipients of one group share its order IDs.
  EXPECT_EQ(list->Item(1)->OrderID()->Item(1), list->Item(3)->OrderID()->Item(1));
  EXPECT_NE(list->Item(1)->OrderID()->Item(1), list->Item(4)->OrderID()->Item(1));
  EXPECT_LT(env.control().GetCredit(), 100.0);
}

TEST_P(SendTest, ARefusedCommandLeavesTheMessagesForTheNextSend) {
  env.control().VAPcode("WRONG12345");
  list = env.control().MessagesToSend();
  AddGroupAndSingle();
  const auto error = CatchAutomationError([&] { list->SendMessage(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), ORVULINK_ERROR_VAPCODE);
  EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_VAPCODE);
  const auto TOSEND = ORVULINK_MESSAGESEND_TOSEND;
  EXPECT_EQ(Statuses(), (std::vector{TOSEND, TOSEND, TOSEND, TOSEND}));

  env.control().VAPcode("VAP0123456");
  EXPECT_EQ(list->SendMessage(), VariantBool(true));
  EXPECT_EQ(list->CountMessageForward(), 3);
}

TEST_P(SendTest, ADroppedConnectionNeverSendsTheMessagesTwice) {
  AddGroupAndSingle();
  env.AddFault("drop");
  const auto error = CatchAutomationError([&] { list->SendMessage(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(env.control().ErrCode(), static_cast<std::int16_t>(error->Number()));
  const auto INSEND = ORVULINK_MESSAGESEND_INSEND;
  EXPECT_EQ(Statuses(), (std::vector{INSEND, INSEND, INSEND, INSEND}));

  const std::size_t attempts = env.Commands().size();
  EXPECT_EQ(list->SendMessage(), VariantBool(false));
  EXPECT_EQ(env.Commands().size(), attempts);
}

INSTANTIATE_TEST_SUITE_P(Schemes, SendTest, ::testing::Values(Scheme::kHttps, Scheme::kHttp),
                         [](const auto& param) { return SchemeName(param.param); });

}  // namespace
}  // namespace orvulink::integration
