#include "platform/conversions.hpp"

#include <orvulink/automation.hpp>

#include <gtest/gtest.h>

#include "test_support.hpp"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace orvulink::platform {
namespace {

using orvulink::testing::RaisesError;

std::string Show(std::u16string_view text) {
  return '"' + BStr(text).utf8() + '"';
}

TEST(IsNumericTest, AcceptsSignedDecimalsWithBlanksOnly) {
  for (std::u16string_view text : {u"0", u"12", u"+12", u"-12", u" -3.5 ", u".5", u"5.", u"\t7\t",
                                   u"  +0.25", u"007", u"2 "}) {
    EXPECT_TRUE(IsNumeric(text)) << Show(text);
  }
  for (std::u16string_view text :
       {u"",      u" ",   u"+",  u"-",   u".",   u"+.",  u"1e3", u"1,000",  u"12a",  u"0x1F",
        u"1.2.3", u"+ 5", u"5-", u"--5", u"1 2", u"\n5", u"5\r", u"\u0661", u"&H1F", u"$5"}) {
    EXPECT_FALSE(IsNumeric(text)) << Show(text);
  }
}

struct LeadingCase {
  std::u16string text;
  double value;
};

TEST(LeadingNumberTest, ReadsTheNumberAtTheStart) {
  const std::vector<LeadingCase> cases = {
      {u"150.5 EUR", 150.5}, {u"150,5", 150.0},   {u" 1 2 3", 123.0}, {u"-2.5x", -2.5},
      {u"abc", 0.0},         {u"", 0.0},          {u".5", 0.5},       {u"+7", 7.0},
      {u"\t\r\n42", 42.0},   {u"- 4", -4.0},      {u"1.2.3", 1.2},    {u"-", 0.0},
      {u"1e3", 1.0},         {u"0x1F", 0.0},      {u"12-3", 12.0},    {u"3.", 3.0},
      {u"+-1", 0.0},         {u"0000.250", 0.25},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LeadingNumber(c.text), c.value) << Show(c.text);
}

TEST(LeadingNumberTest, ReadsLongDigitRunsExactlyOrRaisesOverflow) {
  EXPECT_EQ(LeadingNumber(u"12345678901234567890"), 12345678901234567890.0);
  EXPECT_EQ(LeadingNumber(u"0." + std::u16string(400, u'0') + u"1"), 0.0);
  EXPECT_TRUE(RaisesError(6, [] { LeadingNumber(u"1" + std::u16string(400, u'0')); }));
}

// Half to even; out of range (or not a number) is an overflow, 6.
TEST(RoundTest, RoundsHalfToEvenWithinTheRangeOfIntegerAndLong) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  const double kInfinity = std::numeric_limits<double>::infinity();
  const std::pair<double, std::int32_t> integers[] = {
      {2.5, 2},         {3.5, 4},         {-2.5, -2},         {-3.5, -4},        {0.5, 0},
      {1.5, 2},         {2.4999, 2},      {2.5001, 3},        {-0.4, 0},         {32767.0, 32767},
      {32766.5, 32766}, {32767.4, 32767}, {-32768.5, -32768}, {-32768.0, -32768}};
  for (const auto& [value, rounded] : integers)
    EXPECT_EQ(RoundToInteger(value), rounded) << value;
  for (double value : {32767.5, 32768.0, -32768.6, -32769.0, 1e300, kNaN, kInfinity, -kInfinity})
    EXPECT_TRUE(RaisesError(6, [&] { RoundToInteger(value); })) << value;

  const std::pair<double, std::int32_t> longs[] = {{2.5, 2},
                                                   {-2.5, -2},
                                                   {32767.5, 32768},
                                                   {2147483646.5, 2147483646},
                                                   {2147483647.4, 2147483647},
                                                   {-2147483648.5, -2147483648}};
  for (const auto& [value, rounded] : longs)
    EXPECT_EQ(RoundToLong(value), rounded) << value;
  for (double value : {2147483647.5, -2147483649.0, kNaN})
    EXPECT_TRUE(RaisesError(6, [&] { RoundToLong(value); })) << value;
}

TEST(TextToNumberTest, ConvertsNumericText) {
  EXPECT_EQ(TextToInteger(u"2 "), 2);
  EXPECT_EQ(TextToInteger(u"2.5"), 2);
  EXPECT_EQ(TextToInteger(u"-3.5"), -4);
  EXPECT_EQ(TextToLong(u"100000"), 100000);
  EXPECT_EQ(TextToLong(u"\t-7."), -7);
  EXPECT_EQ(TextToDouble(u"150.5"), 150.5);
  EXPECT_EQ(TextToDouble(u"0.1"), 0.1);
}

TEST(TextToNumberTest, NonNumericTextIsATypeMismatchAndOutOfRangeAnOverflow) {
  for (std::u16string_view text : {u"", u"abc", u"1e3", u"1,000", u"+ 5", u"12a"}) {
    EXPECT_TRUE(RaisesError(13, [&] { TextToInteger(text); })) << Show(text);
    EXPECT_TRUE(RaisesError(13, [&] { TextToLong(text); })) << Show(text);
    EXPECT_TRUE(RaisesError(13, [&] { TextToDouble(text); })) << Show(text);
  }
  EXPECT_TRUE(RaisesError(6, [] { TextToInteger(u"32768"); }));
  EXPECT_TRUE(RaisesError(6, [] { TextToInteger(u"32767.5"); }));
  EXPECT_EQ(TextToInteger(u"-32768"), -32768);
  EXPECT_TRUE(RaisesError(6, [] { TextToLong(u"2147483648"); }));
  EXPECT_TRUE(RaisesError(6, [] { TextToDouble(u"9" + std::u16string(400, u'9')); }));
}

}  // namespace
}  // namespace orvulink::platform
