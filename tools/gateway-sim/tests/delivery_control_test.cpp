// Sends and status queries over HTTP, the control endpoint moving simulated time on.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include "send_builder.hpp"
#include "sim/fault.hpp"
#include "sim/simulator_thread.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;
using Json = nlohmann::json;

class DeliveryControl : public testing::Test {
 protected:
  DeliveryControl() : client_("127.0.0.1", simulator_.port()) {}

  // The page without its 16-character head and 20-character tail.
  std::string AnswerText(const std::string& body) {
    const auto result =
        client_.Post("/cgi/orvusms_gw_plus.php", body, "application/x-www-form-urlencoded");
    if (!result || result->body.size() < 36) return "<no answer>";
    return result->body.substr(16, result->body.size() - 36);
  }
  httplib::Result Control(const char* path, const std::string& body = "") {
    return client_.Post(path, body, "application/json");
  }
  // The status code of ORD-1's only recipient.
  std::string FirstOrderState() {
    const std::string text = AnswerText(StatusBody("ORD-1:"));
    return text.substr(text.rfind(',') + 1);
  }

  SimulatorThread simulator_;
  httplib::Client client_;
};

TEST_F(DeliveryControl, AdvanceAndSettleMoveDeliveriesOnWithoutWaiting) {
  ASSERT_EQ(AnswerText(SendBody({{}})), "01 0;ORD-1;");
  ASSERT_EQ(AnswerText(SendBody({{}})), "01 0;ORD-2;");
  EXPECT_EQ(FirstOrderState(), "0");
  const auto advanced = Control("/control/advance", R"({"ms": 1000})");
  ASSERT_TRUE(advanced && advanced->status == 200);
  EXPECT_TRUE(Json::parse(advanced->body).contains("now"));
  EXPECT_EQ(FirstOrderState(), "2");
  const auto settled = Control("/control/settle");
  ASSERT_TRUE(settled);
  EXPECT_EQ(Json::parse(settled->body), (Json{{"settled", 2}}));
  EXPECT_EQ(FirstOrderState(), "3");
  ASSERT_TRUE(Control("/control/reset"));
  EXPECT_LT(simulator_.state().gateway.Now() - std::chrono::system_clock::now(),
            std::chrono::milliseconds(500));
}

TEST_F(DeliveryControl, BadAdvanceIsRefusedAndLeavesTheClock) {
  for (const char* body : {"", "{}", R"({"ms": -1})", R"({"ms": 1.5})", R"({"ms": "1000"})",
                           R"({"ms": 999999999999999})"}) {
    const auto result = Control("/control/advance", body);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 400) << body;
  }
  EXPECT_LT(simulator_.state().gateway.Now() - std::chrono::system_clock::now(),
            std::chrono::milliseconds(500));
}

TEST_F(DeliveryControl, FaultsApplyToSendAndStatusQuery) {
  simulator_.state().faults.Add(ParseFault("code=97x1"));
  EXPECT_EQ(AnswerText(SendBody({{}})), "97");
  const Json demo = simulator_.state().gateway.AccountsJson()["accounts"][0];
  EXPECT_EQ(demo["credit"], 150.5);  // the faulted send was not carried out
  EXPECT_TRUE(demo["orders"].empty());
  ASSERT_EQ(AnswerText(SendBody({{}})), "01 0;ORD-1;");
  simulator_.state().faults.Add(ParseFault("code=00:<pre>Closed</pre>x1"));
  EXPECT_EQ(AnswerText(StatusBody("ORD-1:")), "00\n<pre>Closed</pre>");
  EXPECT_EQ(FirstOrderState(), "0");
}

}  // namespace
}  // namespace orvulink::sim
