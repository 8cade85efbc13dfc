#include <gtest/gtest.h>

#include <orvulink/automation.hpp>

#include "platform/date_text.hpp"
#include "test_support.hpp"

#include <cmath>
#include <limits>
#include <vector>

namespace orvulink {
namespace {

using testing::RaisesError;

struct KnownDate {
  DateParts parts;
  double value;
  const char* general;
};

const std::vector<KnownDate> kKnownDates = {
    {{2006, 1, 20, 15, 30, 45}, 38737.6463541667, "2006-01-20 15:30:45"},
    {{1899, 12, 30, 0, 0, 0}, 0.0, "1899-12-30 00:00:00"},
    {{1900, 1, 1, 0, 0, 0}, 2.0, "1900-01-01 00:00:00"},
    {{1900, 3, 1, 0, 0, 0}, 61.0, "1900-03-01 00:00:00"},
    {{1899, 12, 30, 12, 0, 0}, 0.5, "1899-12-30 12:00:00"},
    {{1899, 12, 29, 6, 0, 0}, -1.25, "1899-12-29 06:00:00"},
    {{1899, 12, 28, 18, 0, 0}, -2.75, "1899-12-28 18:00:00"},
    {{1899, 12, 29, 0, 0, 0}, -1.0, "1899-12-29 00:00:00"},
    {{2000, 2, 29, 0, 0, 0}, 36585.0, "2000-02-29 00:00:00"},
    {{2000, 3, 1, 0, 0, 0}, 36586.0, "2000-03-01 00:00:00"},
    {{100, 1, 1, 0, 0, 0}, -657434.0, "0100-01-01 00:00:00"},
    {{9999, 12, 31, 23, 59, 59}, 2958465.99998843, "9999-12-31 23:59:59"},
};

TEST(DateTest, KnownDatesConvertBothWays) {
  for (const auto& known : kKnownDates) {
    EXPECT_NEAR(Date::FromParts(known.parts).value, known.value, 1e-8) << known.general;
    EXPECT_EQ(Date(known.value).ToParts(), known.parts) << known.general;
    EXPECT_EQ(Date(known.value).FormatGeneral(), known.general);
  }
}

TEST(DateTest, EveryDayOfTheRangeRoundTrips) {
  for (double day = -657434.0; day <= 2958465.0; day += 1.0) {
    const DateParts parts = Date(day).ToParts();
    ASSERT_EQ(Date::FromParts(parts).value, day) << Date(day).FormatGeneral();
  }
}

TEST(DateTest, LeapDaysFollowTheGregorianRule) {
  const std::vector<std::pair<int, bool>> years = {{1900, false}, {2000, true},  {2004, true},
                                                   {2100, false}, {2023, false}, {400, true}};
  for (const auto& [year, leap] : years) {
    const DateParts february29{year, 2, 29, 0, 0, 0};
    if (leap) {
      EXPECT_EQ(Date::FromParts(february29).ToParts(), february29) << year;
    } else {
      EXPECT_TRUE(RaisesError(5, [&] { Date::FromParts(february29); })) << year;
    }
  }
}

TEST(DateTest, FieldsOutOfRangeRaiseInvalidCall) {
  const std::vector<DateParts> invalid = {
      {2006, 0, 1, 0, 0, 0},  {2006, 13, 1, 0, 0, 0}, {2006, 1, 0, 0, 0, 0},
      {2006, 1, 32, 0, 0, 0}, {2006, 4, 31, 0, 0, 0}, {2006, 2, 29, 0, 0, 0},
      {2006, 1, 1, 24, 0, 0}, {2006, 1, 1, -1, 0, 0}, {2006, 1, 1, 0, 60, 0},
      {2006, 1, 1, 0, 0, 60}, {2006, 1, 1, 0, 0, -1}, {99, 12, 31, 0, 0, 0},
      {10000, 1, 1, 0, 0, 0},
  };
  for (const auto& parts : invalid) {
    EXPECT_TRUE(RaisesError(5, [&] { Date::FromParts(parts); }))
        << parts.year << "-" << parts.month << "-" << parts.day << " " << parts.hour << ":"
        << parts.minute << ":" << parts.second;
  }
}

TEST(DateTest, ToPartsRoundsToTheNearestSecondAndCountsTimeForward) {
  const double second = 1.0 / 86400.0;
  const double lastSecond = 38737.0 + 86399.0 * second;  // 2006-01-20 23:59:59
  EXPECT_EQ(Date(lastSecond + 0.4 * second).ToParts(), (DateParts{2006, 1, 20, 23, 59, 59}));
  EXPECT_EQ(Date(lastSecond + 0.6 * second).ToParts(), (DateParts{2006, 1, 21, 0, 0, 0}));
  EXPECT_EQ(Date(-1.0 - (86399.6 * second)).ToParts(), (DateParts{1899, 12, 30, 0, 0, 0}));
  EXPECT_EQ(Date(38737.0 + 0.6 * second).ToParts(), (DateParts{2006, 1, 20, 0, 0, 1}));
  EXPECT_EQ(Date(-0.5).ToParts(), (DateParts{1899, 12, 30, 12, 0, 0}));  // forward from the epoch
}

TEST(DateTest, ValuesOutsideTheDateRangeRaiseInvalidCall) {
  for (double value : {-657435.0, 2958466.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
    EXPECT_TRUE(RaisesError(5, [&] { Date(value).ToParts(); })) << value;
  }
}

TEST(PlatformDateText, ReadsTheGatewaysLayoutOnly) {
  const struct {
    const char* text;
    DateParts parts;
  } readable[] = {
      {"2006-01-20 10:15:00", {2006, 1, 20, 10, 15, 0}},
      {" 2006-01-20 10:15 ", {2006, 1, 20, 10, 15, 0}},
      {"2006-01-20", {2006, 1, 20, 0, 0, 0}},
      {"2004-02-29 23:59:59", {2004, 2, 29, 23, 59, 59}},
  };
  for (const auto& c : readable)
    EXPECT_EQ(platform::TextToDate(BStr(c.text).str()), Date::FromParts(c.parts)) << c.text;

  for (const char* text : {"", "20/01/2006 10:15", "2006-1-20", "2006-01-20T10:15", "2006-01-20 10",
                           "2006-01-20 10:15:00 x"}) {
    EXPECT_TRUE(RaisesError(13, [&] { platform::TextToDate(BStr(text).str()); })) << text;
  }
  for (const char* text : {"2006-02-30", "2006-01-20 24:00"})
    EXPECT_TRUE(RaisesError(5, [&] { platform::TextToDate(BStr(text).str()); })) << text;
}

}  // namespace
}  // namespace orvulink
