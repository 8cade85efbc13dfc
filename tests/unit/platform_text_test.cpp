#include "platform/text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvulink::platform {
namespace {

// Each case both through the conversion and through BStr's constructor; what is not UTF-8
// becomes replacement characters.
TEST(Utf8DecodeTest, DecodesToUnits) {
  const struct {
    const char* name;
    std::string utf8;
    std::u16string units;
  } cases[] = {{"Empty", "", u""},
               {"Ascii", "Hello 123", u"Hello 123"},
               {"TwoBytes", "\xC3\xA8", u"\u00E8"},
               {"ThreeBytes", "\xE2\x82\xAC", u"\u20AC"},
               {"FourBytesBecomePair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
               {"HighestScalar", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
               {"LastBeforeSurrogates", "\xED\x9F\xBF", u"\uD7FF"},
               {"EmbeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
               {"LoneContinuation", "a\x80z", u"a\uFFFDz"},
               {"OverlongSlash", "\xC0\xAF", u"\uFFFD\uFFFD"},
               {"OverlongThreeBytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
               {"OverlongFourBytes", "\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
               {"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
               {"AboveMaximum", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
               {"FiveByteLead", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
               {"TruncatedAtEnd", "ab\xE2\x82", u"ab\uFFFD"},
               {"TruncatedBeforeAscii", "\xF0\x9F\x98z", u"\uFFFDz"},
               {"InvalidByteFF", "\xFF", u"\uFFFD"},
               {"LeadThenLead", "\xC3\xC3\xA8", u"\uFFFD\u00E8"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.units) << c.name;
    EXPECT_EQ(BStr(c.utf8).str(), c.units) << c.name;
  }
}

TEST(Utf8EncodeTest, RoundTripsAndUnpairedSurrogatesBecomeReplacement) {
  for (const std::string sample :
       {"plain", "d\xC3\xA9j\xC3\xA0 vu", "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80!"}) {
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
    EXPECT_EQ(BStr(sample).utf8(), sample);
  }
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf16ToUtf8(u"\xD800"), replacement);
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00"
                        u"a"),
            replacement + "a");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800\xD800\xDC00"), replacement + "\xF0\x90\x80\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\xDE00\xD83D"), replacement + replacement);
}

TEST(Cp1252Test, DecodesByTheTableAndEncodesPerUnitOrAsQuestionMark) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  const std::u16string decoded = DecodeCp1252(all);
  ASSERT_EQ(decoded.size(), 256u);
  EXPECT_EQ(EncodeCp1252(decoded), all);
  EXPECT_EQ(DecodeCp1252("\x80\x81\x8A\x9F\xA0\xE8\xFF"),
            u"\u20AC\u0081\u0160\u0178\u00A0\u00E8\u00FF");
  const std::pair<char16_t, unsigned char> units[] = {
      {u'A', 'A'},    {0x20AC, 0x80}, {0x00E8, 0xE8}, {0x0152, 0x8C},
      {0x00A0, 0xA0}, {0x4E2D, '?'},  {0x0080, '?'},  {0xD83D, '?'},
  };
  for (const auto& [unit, byte] : units)
    EXPECT_EQ(Cp1252Byte(unit), byte) << "unit U+" << std::hex << int{unit};
  EXPECT_EQ(EncodeCp1252(u"\u20AC 5 \u00E8 \u4E2D"), "\x80 5 \xE8 ?");
  EXPECT_EQ(EncodeCp1252(u"\xD83D\xDE00"), "??");
}

TEST(TextHelpersTest, ReplaceSplitTrimAndFind) {
  // Left to right, without rescanning what was put in.
  const std::u16string replaced[][4] = {
      {u"a+b+c", u"+", u"%2B", u"a%2Bb%2Bc"},
      {u"aaa", u"aa", u"b", u"ba"},
      {u"xx", u"x", u"xx", u"xxxx"},
  };
  for (const auto& [text, from, to, expected] : replaced)
    EXPECT_EQ(ReplaceAll(text, from, to), expected);

  // One more piece than separators, none of an empty text.
  const std::pair<std::u16string, std::vector<std::u16string>> splits[] = {
      {u"", {}},
      {u"a,,b", {u"a", u"", u"b"}},
      {u"a,", {u"a", u""}},
  };
  for (const auto& [text, pieces] : splits)
    EXPECT_EQ(Split(text, u","), pieces);
  EXPECT_EQ(Split(u"1<br>2<br>", u"<br>"), (std::vector<std::u16string>{u"1", u"2", u""}));

  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");  // outer spaces only
  EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
  EXPECT_EQ(TrimSpaces(u" \u00A0x "), u"\u00A0x");

  // A one-based position, or zero.
  const struct {
    std::u16string text, needle;
    std::size_t start, position;
  } finds[] = {
      {u"abcabc", u"bc", 1, 2},
      {u"abcabc", u"bc", 3, 5},
      {u"abc", u"", 2, 2},
      {u"abc", u"c", 9, 0},
  };
  for (const auto& c : finds)
    EXPECT_EQ(Find(c.text, c.needle, c.start), c.position) << Utf16ToUtf8(c.needle) << c.start;

  EXPECT_EQ(ToDecimal(-32768), u"-32768");
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

}  // namespace
}  // namespace orvulink::platform
