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
  return "\"" + BStr(text).utf8() + "\"";
}

TEST(IsNumericTest, AcceptsSignedDecimalsWithBlanks) {
  for (std::u16string_view text : {u"0", u"12", u"+12", u"-12", u" -3.5 ", u".5", u"5.", u"\t7\t",
                                   u"  +0.25", u"007", u"2 "}) {
    EXPECT_TRUE(IsNumeric(text)) << Show(text);
  }
}

TEST(IsNumericTest, RejectsEverythingElse) {
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

struct RoundCase {
  double value;
  std::int32_t rounded;  // or the error number when `error`
  bool error;
};

TEST(RoundToIntegerTest, RoundsHalfToEvenWithinRange) {
  const std::vector<RoundCase> cases = {
      {2.5, 2, false},
      {3.5, 4, false},
      {-2.5, -2, false},
      {-3.5, -4, false},
      {0.5, 0, false},
      {1.5, 2, false},
      {2.4999, 2, false},
      {2.5001, 3, false},
      {-0.4, 0, false},
      {32767.0, 32767, false},
      {32766.5, 32766, false},
      {32767.4, 32767, false},
      {-32768.5, -32768, false},
      {-32768.0, -32768, false},
      {32767.5, 6, true},
      {32768.0, 6, true},
      {-32768.6, 6, true},
      {-32769.0, 6, true},
      {1e300, 6, true},
      {std::numeric_limits<double>::quiet_NaN(), 6, true},
      {std::numeric_limits<double>::infinity(), 6, true},
      {-std::numeric_limits<double>::infinity(), 6, true},
  };
  for (const auto& c : cases) {
    if (c.error) {
      EXPECT_TRUE(RaisesError(c.rounded, [&] { RoundToInteger(c.value); })) << c.value;
    } else {
      EXPECT_EQ(RoundToInteger(c.value), c.rounded) << c.value;
    }
  }
}

TEST(RoundToLongTest, RoundsHalfToEvenWithinRange) {
  const std::vector<RoundCase> cases = {
      {2.5, 2, false},
      {-2.5, -2, false},
      {32767.5, 32768, false},
      {2147483646.5, 2147483646, false},
      {2147483647.4, 2147483647, false},
      {-2147483648.5, -2147483648, false},
      {2147483647.5, 6, true},
      {-2147483649.0, 6, true},
      {std::numeric_limits<double>::quiet_NaN(), 6, true},
  };
  for (const auto& c : cases) {
    if (c.error) {
      EXPECT_TRUE(RaisesError(c.rounded, [&] { RoundToLong(c.value); })) << c.value;
    } else {
      EXPECT_EQ(RoundToLong(c.value), c.rounded) << c.value;
    }
  }
}

TEST(TextToNumberTest, ConvertsNumericText) {
  EXPECT_EQ(TextToInteger(u"2 "), 2);
  EXPECT_EQ(TextToInteger(u" +12 "), 12);
  EXPECT_EQ(TextToInteger(u"2.5"), 2);
  EXPECT_EQ(TextToInteger(u"-3.5"), -4);
  EXPECT_EQ(TextToLong(u"100000"), 100000);
  EXPECT_EQ(TextToLong(u"\t-7."), -7);
  EXPECT_EQ(TextToDouble(u"150.5"), 150.5);
  EXPECT_EQ(TextToDouble(u" .25"), 0.25);
  EXPECT_EQ(TextToDouble(u"0.1"), 0.1);
}

TEST(TextToNumberTest, NonNumericTextIsATypeMismatch) {
  for (std::u16string_view text : {u"", u"abc", u"1e3", u"1,000", u"+ 5", u"12a"}) {
    EXPECT_TRUE(RaisesError(13, [&] { TextToInteger(text); })) << Show(text);
    EXPECT_TRUE(RaisesError(13, [&] { TextToLong(text); })) << Show(text);
    EXPECT_TRUE(RaisesError(13, [&] { TextToDouble(text); })) << Show(text);
  }
}

TEST(TextToNumberTest, OutOfRangeIsAnOverflow) {
  EXPECT_TRUE(RaisesError(6, [] { TextToInteger(u"32768"); }));
  EXPECT_TRUE(RaisesError(6, [] { TextToInteger(u"32767.5"); }));
  EXPECT_EQ(TextToInteger(u"-32768"), -32768);
  EXPECT_TRUE(RaisesError(6, [] { TextToLong(u"2147483648"); }));
  EXPECT_TRUE(RaisesError(6, [] { TextToDouble(u"9" + std::u16string(400, u'9')); }));
}

}  // namespace
}  // namespace orvulink::platform
