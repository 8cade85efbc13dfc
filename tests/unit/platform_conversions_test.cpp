// The automation number reads at their boundaries and the errors they raise; the count fuzz
// target checks them at large against a reference of its own.
#include "platform/conversions.hpp"

#include <orvulink/automation.hpp>

#include <gtest/gtest.h>

#include "test_support.hpp"

#include <limits>
#include <string>

namespace orvulink::platform {
namespace {

using orvulink::testing::RaisesError;

TEST(ConversionsTest, ReadNumbersOrRaiseTypeMismatchOrOverflow) {
  EXPECT_TRUE(IsNumeric(u" -3.5 "));
  EXPECT_FALSE(IsNumeric(u"1e3"));
  EXPECT_EQ(LeadingNumber(u" 1 2 3,5 EUR"), 123.0);
  EXPECT_TRUE(RaisesError(6, [] { LeadingNumber(u"1" + std::u16string(400, u'0')); }));
  const std::pair<double, std::int32_t> integers[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {32767.4, 32767}, {-32768.5, -32768}};
  for (const auto& [value, rounded] : integers)
    EXPECT_EQ(RoundToInteger(value), rounded) << value;
  for (double value : {32767.5, -32768.6, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_TRUE(RaisesError(6, [&] { RoundToInteger(value); })) << value;
  EXPECT_EQ(RoundToLong(-2147483648.5), -2147483648);
  EXPECT_TRUE(RaisesError(6, [] { RoundToLong(2147483647.5); }));
  EXPECT_EQ(TextToInteger(u"-3.5"), -4);
  EXPECT_EQ(TextToLong(u"\t-7."), -7);
  EXPECT_EQ(TextToDouble(u"0.1"), 0.1);
  for (std::u16string_view text : {u"", u"1e3"}) {
    EXPECT_TRUE(RaisesError(13, [&] { TextToInteger(text); })) << BStr(text).utf8();
    EXPECT_TRUE(RaisesError(13, [&] { TextToLong(text); })) << BStr(text).utf8();
    EXPECT_TRUE(RaisesError(13, [&] { TextToDouble(text); })) << BStr(text).utf8();
  }
  EXPECT_TRUE(RaisesError(6, [] { TextToInteger(u"32767.5"); }));
  EXPECT_TRUE(RaisesError(6, [] { TextToLong(u"2147483648"); }));
}

}  // namespace
}  // namespace orvulink::platform
