// Faults the fuzz targets of fuzz/ found in the simulator, each kept from coming back.
#include <gtest/gtest.h>

#include "send_builder.hpp"
#include "sim/gateway.hpp"
#include "sim/local_time.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;

// The component accepts send dates from year 100 to 9999; the simulator's clock reaches only
// about 1678 to 2262. Dates beyond it are accepted, scheduled at the edge, and stay in order.
TEST(FuzzRegression, SendDatesBeyondTheClocksReachAreHeldAtItsEdge) {
  const struct {
    const char* date;
    const char* time;
    std::size_t pending;  // deliveries still ahead an hour after the send
  } cases[] = {{"9999-12-31", "23:59", 1},
               {"2300-01-01", "00:00", 1},
               {"1030-05-06", "07:08", 0},
               {"0001-01-01", "00:00", 0}};
  for (const auto& c : cases) {
    Gateway gateway(DemoFixture(), std::string(kDefaultSerial), PinnedClock());
    const Answer sent =
        gateway.Handle(SendBody({{"0", "Orvu", "+393331111111", "Hi", c.date, c.time}}));
    ASSERT_EQ(sent.code, result_code::kSuccess) << c.date;
    const std::string orderId = sent.payload.substr(2, sent.payload.find(';', 2) - 2);  // "0;ID;"
    gateway.AdvanceClock(std::chrono::hours(1));
    EXPECT_EQ(gateway.Handle(StatusBody(orderId + ":")).code, result_code::kSuccess) << c.date;
    EXPECT_EQ(gateway.SettleDeliveries(), c.pending) << c.date;
  }
  const auto at = [](int year) { return ToSimTime(LocalMinute{year, 1, 1, 0, 0}); };
  EXPECT_LT(at(1030), at(1970));
  EXPECT_LT(at(1970), at(2300));
  EXPECT_LE(at(2300), at(9999));
  EXPECT_EQ(at(2024), LocalMoment(2024, 1, 1, 0, 0, 0));  // within reach: unchanged
}

}  // namespace
}  // namespace orvulink::sim
