// The component against the gateway simulator over real HTTP and HTTPS on loopback: a send
// followed to delivery, the gateway's refusals, the connection test with and without the probe,
// and a certificate the component must not trust (reception end to end is the Python suite's
// and the command-line host's). The exact bytes
// of each command are the command builder's unit tests'; here only outcomes count.
#include <orvulink/enums.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/send.hpp>

#include "integration/integration_support.hpp"

namespace orvulink::integration {
namespace {

constexpr const char* kUnreachable = "+393330000000";
constexpr const char* kFailing = "+393339999999";
constexpr const char* kVapCode = "VAP0123456";

sim::SimulatorConfig Everything() {
  using nlohmann::json;
  return DemoAccountWith({{"credit", 150.5},
                          {"vap_code", kVapCode},
                          {"unreachable", json::array({kUnreachable})},
                          {"failing", json::array({{{"phone", kFailing}, {"reason", 103}}})}});
}

class GatewayTest : public ::testing::TestWithParam<Scheme> {
 protected:
  GatewayTest() { env.control->VAPcode(kVapCode); }
  GatewayEnvironment env{GetParam(), Everything()};
};

TEST_P(GatewayTest, TheProbePageComesOnlyWithTheAutomaticProxyAndOncePerThread) {
  EXPECT_EQ(env.control->TestConnection(), ORVULINK_TEST_OK);
  EXPECT_EQ(env.Commands(), std::vector<std::string>{""});  // the empty command alone
  EXPECT_EQ(env.simulator.state().log.ProbeCount(), 0U);
  env.control->AutomaticProxy(VariantBool(true));
  EXPECT_EQ(env.control->TestConnection(), ORVULINK_TEST_OK);
  EXPECT_DOUBLE_EQ(env.control->GetCredit(), 150.5);
  EXPECT_EQ(env.simulator.state().log.ProbeCount(), 1U);
  EXPECT_EQ(env.Commands().size(), 3U);
}

// A gateway's own refusal text, a wrong password and a refused connection, end to end; the
// transport faults and their retries are the soak's and the exchange's unit tests'.
TEST_P(GatewayTest, RefusalsGiveTheirErrors) {
  env.simulator.state().faults.Add(sim::ParseFault("code=00:<pre>Service closed</pre>x1"));
  EXPECT_EQ(testing::RaisedNumber([&] { env.control->GetCredit(); }), ORVULINK_ERROR_TEXT_MESSAGE);
  EXPECT_EQ(env.control->ErrDescription().utf8(), "Service closed");

  env.control->Password(BStr("not-the-password"));
  EXPECT_EQ(testing::RaisedNumber([&] { env.control->GetCredit(); }),
            ORVULINK_ERROR_AUTHENTICATION);
  EXPECT_EQ(env.control->ErrCode(), ORVULINK_ERROR_AUTHENTICATION);
  EXPECT_EQ(env.control->ErrDescription().utf8(), "SMS gateway: username/password error");

  const auto before = env.Commands().size();
  env.host.Set("127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()));
  EXPECT_EQ(testing::RaisedNumber([&] { env.control->GetCredit(); }), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.control->ErrCode(), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.Commands().size(), before);
}

TEST_P(GatewayTest, SendThenFollowTheDeliveryOfEachRecipient) {
  auto list = env.control->MessagesToSend();
  Collection phones;
  for (const char* phone : {"+393331111111", kUnreachable, kFailing})
    phones.Add(phone);
  list->AddGroupMessage(phones, "Meeting at 10", "Orvu");
  list->AddMessage("+393333333333", "Later", "Orvu", Date::FromParts({2031, 1, 2, 3, 4, 0}));
  EXPECT_EQ(list->SendMessage(), VariantBool(true));
  EXPECT_EQ(env.Commands().size(), 1U);  // the group and the single message in one command

  EXPECT_EQ(list->Item(2)->Status(), ORVULINK_MESSAGESEND_ERRGATEWAY);  // the unreachable one
  EXPECT_EQ(list->CountMessageForward(), 3);
  EXPECT_EQ(list->CountMessageError(), 1);
  EXPECT_EQ(list->CountMessageToSend(), 0);
  ASSERT_TRUE(list->Item(1)->OrderID() && list->Item(3)->OrderID() && list->Item(4)->OrderID());
  const BStr orderId = list->Item(1)->OrderID()->Item(1);
  EXPECT_EQ(list->Item(3)->OrderID()->Item(1), orderId);  // one group, one order
  EXPECT_NE(list->Item(4)->OrderID()->Item(1), orderId);
  EXPECT_LT(env.control->GetCredit(), 150.5);

  auto notify = env.control->MessagesToNotify();
  notify->AddMessage(orderId);
  notify->AddMessage("UNKNOWN-1");
  EXPECT_EQ(notify->GetStatusNotify(), VariantBool(true));
  EXPECT_EQ(notify->ItemOrderID(orderId)->Status(), ORVULINK_ORDERID_CORRECTED);
  EXPECT_EQ(notify->ItemOrderID(orderId)->Count(), 2);  // the refused recipient is not in it
  for (const auto& recipient : *notify->ItemOrderID(orderId))
    EXPECT_EQ(recipient->Status(), ORVULINK_STATE_GETWAY);
  EXPECT_EQ(notify->ItemOrderID("UNKNOWN-1")->Status(), ORVULINK_ORDERID_NOTCORRECTED);

  env.simulator.state().gateway.AdvanceClock(std::chrono::minutes(1));
  notify->Clear();
  notify->AddMessage(orderId, kFailing);
  notify->AddMessage(orderId, "+393331111111");
  EXPECT_EQ(notify->GetStatusNotify(), VariantBool(true));
  const auto order = notify->ItemOrderID(orderId);
  EXPECT_EQ(order->ItemPhone("+393331111111")->Status(), ORVULINK_STATE_DELIVERED);
  EXPECT_EQ(order->ItemPhone(kFailing)->Status(), ORVULINK_STATE_ERROPERATOR);
  EXPECT_EQ(order->ItemPhone(kFailing)->ReasonCode(), ORVULINK_CODEREASON_BLOCKOPERATOR);
}

INSTANTIATE_TEST_SUITE_P(Schemes, GatewayTest, ::testing::Values(Scheme::kHttps, Scheme::kHttp),
                         [](const auto& param) {
                           return std::string(param.param == Scheme::kHttps ? "Https" : "Http");
                         });

// A full list in one group is a command of about 130 KB: the gateway must take it whole.
TEST(SendFullList, GoesOutInOneCommand) {
  GatewayEnvironment env(Scheme::kHttps, DemoAccountWith({{"credit", 5000.0}}));
  auto list = env.control->MessagesToSend();
  Collection phones;
  for (int i = 0; i < 3000; ++i)
    phones.Add(BStr("+39334" + std::to_string(1000000 + i)));
  list->AddGroupMessage(phones, "To everyone", "Orvu");
  EXPECT_EQ(list->SendMessage(), VariantBool(true));
  EXPECT_EQ(list->CountMessageForward(), 3000);
  EXPECT_EQ(env.Commands().size(), 1U);
}

// Without ORVULINK_CA_FILE the simulator's self-signed certificate is not trusted: nothing
// reaches the gateway. How the connection test classifies it is the exchange's unit tests'.
TEST(UntrustedCertificate, IsRefusedBeforeAnyCommandArrives) {
  GatewayEnvironment env(Scheme::kHttps);
  env.ca.Set(std::nullopt);
  EXPECT_EQ(testing::RaisedNumber([&] { env.control->GetCredit(); }), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.control->ErrCode(), ORVULINK_ERROR_NETWORK);
  EXPECT_TRUE(env.Commands().empty());
}

}  // namespace
}  // namespace orvulink::integration
