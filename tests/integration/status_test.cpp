// Sending, then following delivery against the gateway simulator: the status query's exact
// bytes, statuses that advance with the simulator's clock, a failing recipient with its reason.
// Answers cut short and the automatic query of a full list are the status query's unit tests.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/send.hpp>

#include <chrono>
#include <string>
#include <vector>

#include "integration/integration_support.hpp"
#include "sim/accounts.hpp"

namespace orvulink::integration {
namespace {

constexpr const char* kFailing = "+393339999999";

sim::SimulatorConfig StatusConfig() {
  return DemoAccountWith({{"failing", {{{"phone", kFailing}, {"reason", 103}}}}});
}

class StatusTest : public ::testing::Test {
 protected:
  // Sends one group and returns its order IDs, as the gateway gave them.
  std::vector<std::string> SendGroup(const std::vector<const char*>& phones) {
    auto send = env.control().MessagesToSend();
    send->Clear();
    Collection recipients;
    for (const char* phone : phones)
      recipients.Add(phone);
    send->AddGroupMessage(recipients, "Status test", "Orvu");
    EXPECT_EQ(send->SendMessage(), VariantBool(true));
    std::vector<std::string> ids;
    for (const auto& id : *send->Item(1)->OrderID())
      ids.push_back(id.utf8());
    return ids;
  }
  std::vector<OrvuLink_StateNotify> Statuses(const std::string& orderId) {
    std::vector<OrvuLink_StateNotify> statuses;
    for (const auto& recipient : *notify->ItemOrderID(orderId)) {
      statuses.push_back(recipient->Status());
    }
    return statuses;
  }

  GatewayEnvironment env{Scheme::kHttps, StatusConfig()};
  std::shared_ptr<OrvuNotifiedMessages> notify = env.control().MessagesToNotify();
};

TEST_F(StatusTest, StatusesAdvanceFromTheGatewayToDelivery) {
  const auto ids = SendGroup({"+393331111111", kFailing});
  ASSERT_FALSE(ids.empty());
  notify->AddMessage(ids[0]);
  notify->AddMessage("UNKNOWN-1");
  EXPECT_EQ(notify->GetStatusNotify(), VariantBool(true));
  EXPECT_EQ(env.Commands().back(), ExpectedCommand(15, kDemoUser, kDemoPassword,
                                                   {{"QUERYDATA", ids[0] + ":;UNKNOWN-1:"},
                                                    {"SERIAL", std::string(kSerial)}}));
  EXPECT_EQ(notify->ItemOrderID(ids[0])->Status(), ORVULINK_ORDERID_CORRECTED);
  EXPECT_EQ(Statuses(ids[0]), (std::vector{ORVULINK_STATE_GETWAY, ORVULINK_STATE_GETWAY}));
  EXPECT_EQ(notify->ItemOrderID("UNKNOWN-1")->Status(), ORVULINK_ORDERID_NOTCORRECTED);

  env.simulator().state().gateway.AdvanceClock(std::chrono::minutes(1));
  notify->Clear();
  notify->AddMessage(ids[0], kFailing);
  notify->AddMessage(ids[0], "+393331111111");
  EXPECT_EQ(notify->GetStatusNotify(), VariantBool(true));
  EXPECT_EQ(Statuses(ids[0]), (std::vector{ORVULINK_STATE_ERROPERATOR, ORVULINK_STATE_DELIVERED}));
  EXPECT_EQ(notify->ItemOrderID(ids[0])->ItemPhone(kFailing)->ReasonCode(),
            ORVULINK_CODEREASON_BLOCKOPERATOR);
}

}  // namespace
}  // namespace orvulink::integration
