#include <gtest/gtest.h>

#include <orvulink/automation.hpp>

#include "platform/date_text.hpp"
#include "test_support.hpp"

#include <limits>

namespace orvulink {
namespace {

using testing::RaisesError;

TEST(DateTest, KnownDatesConvertBothWaysAndEveryDayOfTheRangeRoundTrips) {
  const struct {
    DateParts parts;
    double value;
    const char* general;
  } known[] = {
      {{2006, 1, 20, 15, 30, 45}, 38737.6463541667, "2006-01-20 15:30:45"},
      {{1899, 12, 30, 0, 0, 0}, 0.0, "1899-12-30 00:00:00"},
      {{1899, 12, 29, 6, 0, 0}, -1.25, "1899-12-29 06:00:00"},  // time counts forward
      {{100, 1, 1, 0, 0, 0}, -657434.0, "0100-01-01 00:00:00"},
      {{9999, 12, 31, 23, 59, 59}, 2958465.99998843, "9999-12-31 23:59:59"},
  };
  for (const auto& k : known) {
    EXPECT_NEAR(Date::FromParts(k.parts).value, k.value, 1e-8) << k.general;
    EXPECT_EQ(Date(k.value).ToParts(), k.parts) << k.general;
    EXPECT_EQ(Date(k.value).FormatGeneral(), k.general);
  }
  for (double day = -657434.0; day <= 2958465.0; day += 1.0)
    ASSERT_EQ(Date::FromParts(Date(day).ToParts()).value, day) << Date(day).FormatGeneral();
}

TEST(DateTest, FieldsOrValuesOutOfRangeRaiseInvalidCall) {
  const DateParts invalid[] = {{1900, 2, 29, 0, 0, 0}, {2006, 13, 1, 0, 0, 0},
                               {2006, 4, 31, 0, 0, 0}, {2006, 1, 1, 24, 0, 0},
                               {99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}};
  for (const auto& p : invalid)
    EXPECT_TRUE(RaisesError(5, [&] { Date::FromParts(p); })) << p.year << "-" << p.month;
  for (double value : {-657435.0, 2958466.0, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_TRUE(RaisesError(5, [&] { Date(value).ToParts(); })) << value;
  EXPECT_EQ(Date::FromParts({400, 2, 29, 0, 0, 0}).ToParts(), (DateParts{400, 2, 29, 0, 0, 0}));
}

// Read at large by the date-text fuzz target; here the two errors a host tells apart.
TEST(PlatformDateText, ReadsTheGatewaysLayoutOnly) {
  EXPECT_EQ(platform::TextToDate(u" 2006-01-20 10:15 "), Date::FromParts({2006, 1, 20, 10, 15, 0}));
  EXPECT_TRUE(RaisesError(13, [] { platform::TextToDate(u"20/01/2006 10:15"); }));
  EXPECT_TRUE(RaisesError(5, [] { platform::TextToDate(u"2006-02-30"); }));
}

}  // namespace
}  // namespace orvulink
