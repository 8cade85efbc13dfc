#include <gtest/gtest.h>

#include "send_builder.hpp"
#include "sim/gateway.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;
using std::chrono::milliseconds;

constexpr char kGood[] = "+393331111111";
constexpr char kFailing[] = "+393339999999";

AccountFixture StatusFixture() {
  AccountFixture fixture = DemoFixture();
  fixture.accounts[0].failing = {{kFailing, 111}};
  fixture.accounts[0].orders.AddRecipient("ORD-1001", "+393337654321");
  return fixture;
}

// A gateway on the pinned clock, 2024-01-15 10:00:00; its first send becomes ORD-1.
class StatusQuery : public testing::Test {
 protected:
  StatusQuery() : gateway_(StatusFixture(), Serial(), PinnedClock()) {}

  void Send(const SendLineSpec& line, const std::string& tail = "") {
    ASSERT_EQ(gateway_.Handle(SendBody({line}, tail)).code, "01");
  }
  std::string Ask(const std::string& query) { return gateway_.Handle(StatusBody(query)).Text(); }

  Gateway gateway_;
};

struct StatusCase {
  const char* name;
  milliseconds later;  // after the send
  std::string query;
  std::string answer_text;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
  *os << c.name;
}

class StatusAnswers : public StatusQuery, public testing::WithParamInterface<StatusCase> {};

TEST_P(StatusAnswers, AfterOneSend) {
  Send({"0", "Orvu", std::string(kGood) + "," + kFailing});
  gateway_.AdvanceClock(GetParam().later);
  EXPECT_EQ(Ask(GetParam().query), GetParam().answer_text);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, StatusAnswers,
    testing::Values(StatusCase{"AtTheGateway", milliseconds(999), "ORD-1:",
                               "01\nORD-1\t2024-01-15,10:00:00,+393331111111,0;"
                               "2024-01-15,10:00:00,+393339999999,0"},
                    StatusCase{"WithTheOperator", milliseconds(2999), "ORD-1:+393331111111",
                               "01\nORD-1\t2024-01-15,10:00:01,+393331111111,2"},
                    StatusCase{"DeliveredOrFailedWithItsReason", milliseconds(3000), "ORD-1:",
                               "01\nORD-1\t2024-01-15,10:00:03,+393331111111,3;"
                               "2024-01-15,10:00:03,+393339999999,-2,111"},
                    StatusCase{"LinesInQueryOrderUnknownIsNull", milliseconds(0),
                               "NOPE:;ORD-1:+393331111111;ORD-1:+390000000000;ord-1:",
                               "01\nNOPE\tNULL\r\nORD-1\t2024-01-15,10:00:00,+393331111111,0\r\n"
                               "ORD-1\tNULL\r\nord-1\tNULL"},
                    StatusCase{"FixtureOrderHasNoHistory", milliseconds(0),
                               "ORD-1001:", "01\nORD-1001\t0000-00-00,00:00:00,+393337654321,3"},
                    StatusCase{"EmptyQuery", milliseconds(0), "", "98"},
                    StatusCase{"ItemWithoutColon", milliseconds(0), "ORD-1", "98"},
                    StatusCase{"ItemWithoutOrderId", milliseconds(0), ":+393331111111", "98"},
                    StatusCase{"LineBreakInOrderId", milliseconds(0), "ORD\r\n-1:", "98"}),
    CaseName<StatusCase>);

TEST_F(StatusQuery, LaterSendDateDelaysDeliveryNotAcceptance) {
  Send({"0", "Orvu", kGood, "Hi", "2024-01-16", "08:30"});
  gateway_.AdvanceClock(std::chrono::hours(22));
  EXPECT_EQ(Ask("ORD-1:"), "01\nORD-1\t2024-01-15,10:00:00,+393331111111,0");
  gateway_.AdvanceClock(milliseconds(30 * 60 * 1000 + 1000));
  EXPECT_EQ(Ask("ORD-1:"), "01\nORD-1\t2024-01-16,08:30:01,+393331111111,2");
}

TEST_F(StatusQuery, SettlingEndsPendingDeliveriesNowAndResetForgetsThem) {
  Send({"0", "Orvu", kGood});
  Send({"0", "Orvu", kFailing}, "&TEST=1");
  gateway_.AdvanceClock(milliseconds(1500));
  EXPECT_EQ(gateway_.SettleDeliveries(), 2U);
  EXPECT_EQ(Ask("ORD-1:;TEST-2:"),
            "01\nORD-1\t2024-01-15,10:00:01,+393331111111,3\r\n"
            "TEST-2\t2024-01-15,10:00:01,+393339999999,-2,111");
  EXPECT_EQ(gateway_.SettleDeliveries(), 0U);
  gateway_.Reset();
  EXPECT_EQ(Ask("ORD-1:"), "01\nORD-1\tNULL");
  Send({"0", "Orvu", kGood});  // the clock is back at the pinned time
  EXPECT_EQ(Ask("ORD-1:"), "01\nORD-1\t2024-01-15,10:00:00,+393331111111,0");
}

TEST(StatusService, ClosedServiceOrEntitlementAnswersAGatewayMessage) {
  for (const bool service_up : {false, true}) {
    AccountFixture fixture = DemoFixture();
    fixture.status_service = service_up;
    fixture.accounts[0].status_query = !service_up;
    const Answer answer = Gateway(fixture, Serial()).Handle(StatusBody("ORD-1:"));
    EXPECT_EQ(answer.code, "00");
    EXPECT_TRUE(answer.payload.starts_with("<pre>") && answer.payload.ends_with("</pre>"));
  }
}

}  // namespace
}  // namespace orvulink::sim
