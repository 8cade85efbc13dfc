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
      {{1900, 3, 1, 0, 0, 0}, 61.0, "1900-03-01 00:00:00"},
      {{1899, 12, 29, 6, 0, 0}, -1.25, "1899-12-29 06:00:00"},  // time counts forward
      {{2000, 2, 29, 0, 0, 0}, 36585.0, "2000-02-29 00:00:00"},
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
  const DateParts invalid[] = {{1900, 2, 29, 0, 0, 0}, {2200, 2, 29, 0, 0, 0},
                               {2006, 13, 1, 0, 0, 0}, {2006, 1, 0, 0, 0, 0},
                               {2006, 4, 31, 0, 0, 0}, {2006, 1, 1, 24, 0, 0},
                               {2006, 1, 1, 0, 60, 0}, {2006, 1, 1, 0, 0, -1},
                               {99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}};
  for (const auto& p : invalid)
    EXPECT_TRUE(RaisesError(5, [&] { Date::FromParts(p); })) << p.year << "-" << p.month;
  for (double value : {-657435.0, 2958466.0, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_TRUE(RaisesError(5, [&] { Date(value).ToParts(); })) << value;
  EXPECT_EQ(Date::FromParts({400, 2, 29, 0, 0, 0}).ToParts(), (DateParts{400, 2, 29, 0, 0, 0}));
}

TEST(DateTest, ToPartsRoundsToTheNearestSecond) {
  const double second = 1.0 / 86400.0;
  const double lastSecond = 38737.0 + 86399.0 * second;  // 2006-01-20 23:59:59
  EXPECT_EQ(Date(lastSecond + 0.4 * second).ToParts(), (DateParts{2006, 1, 20, 23, 59, 59}));
  EXPECT_EQ(Date(lastSecond + 0.6 * second).ToParts(), (DateParts{2006, 1, 21, 0, 0, 0}));
  EXPECT_EQ(Date(-1.0 - (86399.6 * second)).ToParts(), (DateParts{1899, 12, 30, 0, 0, 0}));
  EXPECT_EQ(Date(-0.5).ToParts(), (DateParts{1899, 12, 30, 12, 0, 0}));
}

TEST(PlatformDateText, ReadsTheGatewaysLayoutOnly) {
  const std::pair<const char*, DateParts> readable[] = {
      {" 2006-01-20 10:15 ", {2006, 1, 20, 10, 15, 0}},
      {"2006-01-20", {2006, 1, 20, 0, 0, 0}},
      {"2004-02-29 23:59:59", {2004, 2, 29, 23, 59, 59}}};
  for (const auto& [text, parts] : readable)
    EXPECT_EQ(platform::TextToDate(BStr(text).str()), Date::FromParts(parts)) << text;
  for (const char* text : {"", "20/01/2006 10:15", "2006-1-20", "2006-01-20T10:15", "2006-01-20 10",
                           "2006-01-20 10:15:00 x"})
    EXPECT_TRUE(RaisesError(13, [&] { platform::TextToDate(BStr(text).str()); })) << text;
  for (const char* text : {"2006-02-30", "2006-01-20 24:00"})
    EXPECT_TRUE(RaisesError(5, [&] { platform::TextToDate(BStr(text).str()); })) << text;
}

}  // namespace
}  // namespace orvulink
