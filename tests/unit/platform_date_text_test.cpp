#include <gtest/gtest.h>

#include "platform/date_text.hpp"
#include "test_support.hpp"

namespace orvulink {
namespace {

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

  const struct {
    const char* text;
    int number;
  } unreadable[] = {
      {"", 13},
      {"20/01/2006 10:15", 13},
      {"2006-1-20", 13},
      {"2006-01-20T10:15", 13},
      {"2006-01-20 10", 13},
      {"2006-01-20 10:15:00 x", 13},
      {"2006-02-30", 5},
      {"2006-01-20 24:00", 5},
  };
  for (const auto& c : unreadable) {
    EXPECT_TRUE(testing::RaisesError(c.number, [&] { platform::TextToDate(BStr(c.text).str()); }))
        << c.text;
  }
}

}  // namespace
}  // namespace orvulink
