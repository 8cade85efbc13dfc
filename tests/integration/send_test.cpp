// Sending against the gateway simulator over real HTTP and HTTPS: the exact bytes of the send
// command with its VAP code, accepted and refused recipients, and the orders they get. A refused
// command and a failed exchange are the send command's unit tests.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/send.hpp>

#include <string>
#include <vector>

#include "integration/integration_support.hpp"
#include "sim/accounts.hpp"

namespace orvulink::integration {
namespace {

constexpr const char* kUnreachable = "+393330000000";

sim::SimulatorConfig SendConfig() {
  return DemoAccountWith({{"vap_code", "VAP0123456"}, {"unreachable", {kUnreachable}}});
}

std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (const auto& field : fields) {
    if (!line.empty()) line += '\t';
    line += PercentEveryByte(field);
  }
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

// A full list in one group is a command of about 130 KB: the gateway must take it whole.
TEST(SendFullList, GoesOutInOneCommand) {
  GatewayEnvironment env(Scheme::kHttps, DemoAccountWith({{"credit", 5000.0}}));
  auto list = env.control().MessagesToSend();
  Collection phones;
  for (int i = 0; i < 3000; ++i)
    phones.Add(BStr("+39334" + std::to_string(1000000 + i)));
  list->AddGroupMessage(phones, "To everyone", "Orvu");
  EXPECT_EQ(list->SendMessage(), VariantBool(true));
  EXPECT_EQ(list->CountMessageForward(), 3000);
  EXPECT_EQ(env.Commands().size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(Schemes, SendTest, ::testing::Values(Scheme::kHttps, Scheme::kHttp),
                         [](const auto& param) { return SchemeName(param.param); });

}  // namespace
}  // namespace orvulink::integration
