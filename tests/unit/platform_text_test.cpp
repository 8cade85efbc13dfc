#include "platform/text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvulink::platform {
namespace {

struct Utf8Case {
  const char* name;
  std::string utf8;
  std::u16string units;
};

class Utf8DecodeTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8DecodeTest, DecodesToUnits) {
  EXPECT_EQ(Utf8ToUtf16(GetParam().utf8), GetParam().units);
  EXPECT_EQ(BStr(GetParam().utf8).str(), GetParam().units);
}

INSTANTIATE_TEST_SUITE_P(
    Valid, Utf8DecodeTest,
    testing::Values(Utf8Case{"Empty", "", u""}, Utf8Case{"Ascii", "Hello 123", u"Hello 123"},
                    Utf8Case{"TwoBytes", "\xC3\xA8", u"\u00E8"},
                    Utf8Case{"ThreeBytes", "\xE2\x82\xAC", u"\u20AC"},
                    Utf8Case{"FourBytesBecomePair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
                    Utf8Case{"HighestScalar", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
                    Utf8Case{"LastBeforeSurrogates", "\xED\x9F\xBF", u"\uD7FF"},
                    Utf8Case{"EmbeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const auto& testCase) { return testCase.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Invalid, Utf8DecodeTest,
    testing::Values(Utf8Case{"LoneContinuation", "a\x80z", u"a\uFFFDz"},
                    Utf8Case{"OverlongSlash", "\xC0\xAF", u"\uFFFD\uFFFD"},
                    Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
                    Utf8Case{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                    Utf8Case{"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                    Utf8Case{"AboveMaximum", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                    Utf8Case{"FiveByteLead", "\xF8\x88\x80\x80\x80",
                             u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
                    Utf8Case{"TruncatedAtEnd", "ab\xE2\x82", u"ab\uFFFD"},
                    Utf8Case{"TruncatedBeforeAscii", "\xF0\x9F\x98z", u"\uFFFDz"},
                    Utf8Case{"InvalidByteFF", "\xFF", u"\uFFFD"},
                    Utf8Case{"LeadThenLead", "\xC3\xC3\xA8", u"\uFFFD\u00E8"}),
    [](const auto& testCase) { return testCase.param.name; });

TEST(Utf8EncodeTest, RoundTripsEveryPlaneSample) {
  const std::vector<std::string> samples = {"plain", "d\xC3\xA9j\xC3\xA0 vu",
                                            "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80!"};
  for (const auto& sample : samples) {
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
    EXPECT_EQ(BStr(sample).utf8(), sample);
  }
}

TEST(Utf8EncodeTest, UnpairedSurrogatesBecomeReplacement) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf16ToUtf8(u"\xD800"), replacement);
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00"
                        u"a"),
            replacement + "a");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800\xD800\xDC00"), replacement + "\xF0\x90\x80\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\xDE00\xD83D"), replacement + replacement);
}

TEST(Cp1252Test, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  const std::u16string decoded = DecodeCp1252(all);
  ASSERT_EQ(decoded.size(), 256u);
  EXPECT_EQ(EncodeCp1252(decoded), all);
}

TEST(Cp1252Test, DecodesTheHighRangeByTheTable) {
  EXPECT_EQ(DecodeCp1252("\x80\x81\x8A\x9F\xA0\xE8\xFF"),
            u"\u20AC\u0081\u0160\u0178\u00A0\u00E8\u00FF");
}

struct Cp1252Case {
  char16_t unit;
  unsigned char byte;
};

TEST(Cp1252Test, MapsUnitsToBytesOrQuestionMark) {
  const std::vector<Cp1252Case> cases = {
      {u'A', 'A'},    {0x20AC, 0x80}, {0x00E8, 0xE8}, {0x0152, 0x8C}, {0x2122, 0x99},
      {0x008D, 0x8D}, {0x00A0, 0xA0}, {0x4E2D, '?'},  {0x0080, '?'},  {0x0100, '?'},
      {0xD83D, '?'},  {0xDE00, '?'},  {0xFFFD, '?'},  {0x009F, '?'},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1252Byte(c.unit), c.byte) << "unit U+" << std::hex << int{c.unit};
  }
}

TEST(Cp1252Test, EncodesTextSubstitutingPerUnit) {
  EXPECT_EQ(EncodeCp1252(u"\u20AC 5 \u00E8 \u4E2D"), "\x80 5 \xE8 ?");
  EXPECT_EQ(EncodeCp1252(u"\xD83D\xDE00"), "??");
}

struct ReplaceCase {
  std::u16string text, from, to, expected;
};

TEST(ReplaceAllTest, ReplacesLeftToRightWithoutRescanning) {
  const std::vector<ReplaceCase> cases = {
      {u"a+b+c", u"+", u"%2B", u"a%2Bb%2Bc"},
      {u"aaa", u"aa", u"b", u"ba"},
      {u"abc", u"x", u"y", u"abc"},
      {u"", u"x", u"y", u""},
      {u"xx", u"x", u"xx", u"xxxx"},
      {u"a--b", u"-", u"", u"ab"},
      {u"abc", u"abc", u"", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.expected);
}

struct SplitCase {
  std::u16string text, separator;
  std::vector<std::u16string> pieces;
};

TEST(SplitTest, GivesOneMorePieceThanSeparators) {
  const std::vector<SplitCase> cases = {
      {u"", u",", {}},
      {u"a", u",", {u"a"}},
      {u"a,,b", u",", {u"a", u"", u"b"}},
      {u"a,", u",", {u"a", u""}},
      {u",", u",", {u"", u""}},
      {u"1<br>2<br>", u"<br>", {u"1", u"2", u""}},
      {u"a;b", u",", {u"a;b"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Split(c.text, c.separator), c.pieces);
}

TEST(TrimSpacesTest, RemovesOnlyOuterSpaces) {
  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
  EXPECT_EQ(TrimSpaces(u""), u"");
  EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
  EXPECT_EQ(TrimSpaces(u" \u00A0x "), u"\u00A0x");
}

struct FindCase {
  std::u16string text, needle;
  std::size_t start, position;
};

TEST(FindTest, ReturnsOneBasedPositionOrZero) {
  const std::vector<FindCase> cases = {
      {u"abcabc", u"bc", 1, 2}, {u"abcabc", u"bc", 3, 5}, {u"abcabc", u"bc", 6, 0},
      {u"abc", u"x", 1, 0},     {u"abc", u"", 2, 2},      {u"abc", u"c", 9, 0},
      {u"", u"a", 1, 0},        {u"abc", u"abcd", 1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Find(c.text, c.needle, c.start), c.position)
        << Utf16ToUtf8(c.needle) << " from " << c.start;
  }
}

TEST(FoldCaseTest, FoldsLettersOfTheCoveredScripts) {
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      {u"Key-1_z", u"KEY-1_Z"},
      {u"\u00E8\u00E0\u00FE", u"\u00C8\u00C0\u00DE"},
      {u"\u00F7\u00D7", u"\u00F7\u00D7"},
      {u"\u00FF", u"\u0178"},
      {u"\u0101\u0107\u013A\u017E\u0151", u"\u0100\u0106\u0139\u017D\u0150"},
      {u"\u0138\u0149", u"\u0138\u0149"},
      {u"\u03B1\u03C9\u03C2\u03AC\u03CE", u"\u0391\u03A9\u03A3\u0386\u038F"},
      {u"\u0430\u044F\u0451", u"\u0410\u042F\u0401"},
      {u"\u4E2D\u00B5", u"\u4E2D\u00B5"},
  };
  for (const auto& [text, folded] : cases)
    EXPECT_EQ(FoldCase(text), folded);
}

TEST(FoldCaseTest, UpperCaseIsAlreadyFolded) {
  for (char16_t unit = 0; unit < 0x0500; ++unit) {
    const std::u16string folded = FoldCase(std::u16string(1, unit));
    EXPECT_EQ(FoldCase(folded), folded) << "U+" << std::hex << int{unit};
  }
}

TEST(ToDecimalTest, WritesSignedDecimal) {
  EXPECT_EQ(ToDecimal(0), u"0");
  EXPECT_EQ(ToDecimal(-32768), u"-32768");
  EXPECT_EQ(ToDecimal(9223372036854775807LL), u"9223372036854775807");
}

}  // namespace
}  // namespace orvulink::platform
