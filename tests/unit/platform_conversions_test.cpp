#include "platform/conversions.hpp"

#include <orvulink/automation.hpp>

#include <gtest/gtest.h>

#include "test_support.hpp"

#include <limits>
#include <string>

namespace orvulink::platform {
namespace {

using orvulink::testing::RaisesError;

TEST(IsNumericTest, AcceptsSignedDecimalsWithBlanksOnly) {
  for (std::u16string_view text : {u"+12", u" -3.5 ", u".5", u"5.", u"\t7\t", u"007"})
    EXPECT_TRUE(IsNumeric(text)) << BStr(text).utf8();
  for (std::u16string_view text : {u"", u" ", u"+", u".", u"1e3", u"1,000", u"12a", u"0x1F",
                                   u"1.2.3", u"+ 5", u"5-", u"1 2", u"\n5", u"\u0661", u"&H1F"})
    EXPECT_FALSE(IsNumeric(text)) << BStr(text).utf8();
}

TEST(LeadingNumberTest, ReadsTheNumberAtTheStartOrRaisesOverflow) {
  const std::pair<std::u16string, double> cases[] = {
      {u"150.5 EUR", 150.5},
      {u"150,5", 150.0},
      {u" 1 2 3", 123.0},
      {u"-2.5x", -2.5},
      {u"abc", 0.0},
      {u"\t\r\n42", 42},
      {u"- 4", -4.0},
      {u"1.2.3", 1.2},
      {u"1e3", 1.0},
      {u"+-1", 0.0},
      {u"12345678901234567890", 12345678901234567890.0},
      {u"0." + std::u16string(400, u'0') + u"1", 0.0}};
  for (const auto& [text, value] : cases)
    EXPECT_EQ(LeadingNumber(text), value) << BStr(text).utf8();
  EXPECT_TRUE(RaisesError(6, [] { LeadingNumber(u"1" + std::u16string(400, u'0')); }));
}

// Half to even; out of range (or not a number) is an overflow, 6.
TEST(RoundTest, RoundsHalfToEvenWithinTheRangeOfIntegerAndLong) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, std::int32_t> integers[] = {
      {2.5, 2},  {3.5, 4},         {-2.5, -2},       {-3.5, -4},        {2.5001, 3},
      {-0.4, 0}, {32766.5, 32766}, {32767.4, 32767}, {-32768.5, -32768}};
  for (const auto& [value, rounded] : integers)
    EXPECT_EQ(RoundToInteger(value), rounded) << value;
  for (double value : {32767.5, -32768.6, kNaN, std::numeric_limits<double>::infinity()})
    EXPECT_TRUE(RaisesError(6, [&] { RoundToInteger(value); })) << value;
  const std::pair<double, std::int32_t> longs[] = {
      {32767.5, 32768}, {2147483646.5, 2147483646}, {-2147483648.5, -2147483648}};
  for (const auto& [value, rounded] : longs)
    EXPECT_EQ(RoundToLong(value), rounded) << value;
  for (double value : {2147483647.5, -2147483649.0, kNaN})
    EXPECT_TRUE(RaisesError(6, [&] { RoundToLong(value); })) << value;
}

TEST(TextToNumberTest, ConvertsNumericTextElseTypeMismatchOrOverflow) {
  EXPECT_EQ(TextToInteger(u"-3.5"), -4);
  EXPECT_EQ(TextToInteger(u"-32768"), -32768);
  EXPECT_EQ(TextToLong(u"\t-7."), -7);
  EXPECT_EQ(TextToDouble(u"0.1"), 0.1);
  for (std::u16string_view text : {u"", u"1e3", u"+ 5"}) {
    EXPECT_TRUE(RaisesError(13, [&] { TextToInteger(text); })) << BStr(text).utf8();
    EXPECT_TRUE(RaisesError(13, [&] { TextToLong(text); })) << BStr(text).utf8();
    EXPECT_TRUE(RaisesError(13, [&] { TextToDouble(text); })) << BStr(text).utf8();
  }
  EXPECT_TRUE(RaisesError(6, [] { TextToInteger(u"32767.5"); }));
  EXPECT_TRUE(RaisesError(6, [] { TextToLong(u"2147483648"); }));
  EXPECT_TRUE(RaisesError(6, [] { TextToDouble(u"9" + std::u16string(400, u'9')); }));
}

}  // namespace
}  // namespace orvulink::platform
