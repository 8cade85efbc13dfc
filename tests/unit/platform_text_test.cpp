#include "platform/keyed_list.hpp"
#include "platform/text.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace orvulink::platform {
namespace {

// Through the conversion and through BStr's constructor; what is not UTF-8 becomes replacement
// characters, one per byte that cannot start or continue a sequence.
TEST(Utf8Test, DecodesToUnitsAndEncodesUnpairedSurrogatesAsReplacement) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"\xC3\xA8\xE2\x82\xAC", u"\u00E8\u20AC"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"a\x80z", u"a\uFFFDz"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"ab\xE2\x82", u"ab\uFFFD"}};
  for (const auto& [utf8, units] : cases) {
    EXPECT_EQ(Utf8ToUtf16(utf8), units) << utf8;
    EXPECT_EQ(BStr(utf8).str(), units) << utf8;
  }
  EXPECT_EQ(BStr("d\xC3\xA9\xF0\x9F\x98\x80").utf8(), "d\xC3\xA9\xF0\x9F\x98\x80");
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00\x61"), replacement + "a");
  EXPECT_EQ(Utf16ToUtf8(u"\xDE00\xD83D"), replacement + replacement);
}

TEST(Cp1252Test, DecodesByTheTableAndEncodesPerUnitOrAsQuestionMark) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  EXPECT_EQ(EncodeCp1252(DecodeCp1252(all)), all);
  EXPECT_EQ(DecodeCp1252("\x80\x81\x8A\x9F\xE8"), u"\u20AC\u0081\u0160\u0178\u00E8");
  EXPECT_EQ(EncodeCp1252(u"\u20AC\u0152 \u00E8\u4E2D\u0080\xD83D\xDE00"), "\x80\x8C \xE8????");
}

// The conversions test a whole text before copying it as it is: a byte or unit that needs the
// table must be found wherever it stands, in or after the first vector's worth.
TEST(Cp1252Test, TableUnitFoundAtAnyPosition) {
  for (std::size_t at : {0u, 7u, 15u, 16u, 17u, 31u, 32u, 40u}) {
    std::string bytes(41, 'a');
    bytes[at] = '\x80';
    std::u16string units(41, u'a');
    units[at] = u'\u20AC';
    EXPECT_EQ(DecodeCp1252(bytes), units) << at;
    EXPECT_EQ(EncodeCp1252(units), bytes) << at;
    units[at] = u'\u4E2D';
    bytes[at] = '?';
    EXPECT_EQ(EncodeCp1252(units), bytes) << at;
  }
}

// Searches pass over eight units at a time: every start, needle and hit position around
// those blocks agrees with the standard library's search.
TEST(FindTextTest, AgreesWithTheStandardSearch) {
  const std::u16string text = u"acebdacebdacebdacebdacebdacebdacebdac\r\n\r";
  for (std::u16string_view needle : {u"a", u"e", u"\r\n", u"\n\r", u"cab", u"z", u"\r\r"}) {
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      EXPECT_EQ(FindText(text, needle, from), std::u16string_view(text).find(needle, from))
          << Utf16ToUtf8(needle) << " from " << from;
    }
  }
  EXPECT_EQ(FindText(text, u""), std::u16string_view::npos);
  EXPECT_EQ(Find(text, u"\r\n", 3), 38u);  // 1-based, as the automation search
}

// Keys of collections and answers are matched case-blind beyond ASCII.
TEST(TextHelpersTest, FoldCase) {
  const std::pair<std::u16string, std::u16string> folds[] = {
      {u"Key-1_z\u00F7\u00B5\u4E2D", u"KEY-1_Z\u00F7\u00B5\u4E2D"},
      {u"\u00E8\u00FE\u00FF\u0101\u0138", u"\u00C8\u00DE\u0178\u0100\u0138"},
      {u"\u03B1\u03C2\u03AC\u03CE\u0430\u044F\u0451",
       u"\u0391\u03A3\u0386\u038F\u0410\u042F\u0401"}};
  for (const auto& [text, folded] : folds)
    EXPECT_EQ(FoldCase(text), folded) << Utf16ToUtf8(text);
}

}  // namespace
}  // namespace orvulink::platform

namespace orvulink::platform {
namespace {

// The counting splitter keeps the pieces SplitViews gives, and counts those beyond its room.
TEST(SplitFirstTest, AgreesWithSplitViews) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"", u","}, {u"a", u","},         {u",", u","},           {u"a,b,,c,d,e,f", u","},
      {u"a", u""}, {u"x\r\ny", u"\r\n"}, {u"x\ry\r\n", u"\r\n"},
  };
  for (const auto& [text, separator] : cases) {
    const auto views = SplitViews(text, separator);
    std::u16string_view first[3];
    const std::size_t count = SplitFirst(text, separator, first);
    ASSERT_EQ(count, views.size());
    for (std::size_t i = 0; i < std::min<std::size_t>(count, 3); ++i)
      EXPECT_EQ(first[i], views[i]);
  }
}

// A keyed list against a plain walk of folded keys, through adds, finds and removals that
// take it past the length where it builds its index and back down.
TEST(KeyedListTest, MatchesAWalkOfFoldedKeysAcrossItsIndex) {
  KeyedList<std::shared_ptr<int>> list;
  std::vector<std::pair<std::u16string, std::shared_ptr<int>>> model;
  const auto modelPosition = [&](std::u16string_view key) {
    for (std::size_t i = 0; i < model.size(); ++i)
      if (model[i].first == FoldCase(key)) return static_cast<int>(i);
    return -1;
  };
  unsigned seed = 7;
  for (int step = 0; step < 4000; ++step) {
    seed = seed * 1103515245 + 12345;
    const std::u16string key = (seed >> 8) % 2 ? u"K" : u"k";
    const std::u16string name = key + ToDecimal(static_cast<long long>((seed >> 12) % 24));
    const int at = modelPosition(name);
    // Phases of mostly adding (about 16 entries held) and mostly removing (about 5).
    const bool adding = (step / 500) % 2 == 0 ? (seed >> 20) % 3 != 0 : (seed >> 20) % 5 == 0;
    if (adding) {
      auto entry = std::make_shared<int>(step);
      ASSERT_EQ(list.Add(name, entry), at < 0);
      if (at < 0) model.emplace_back(FoldCase(name), entry);
    } else {
      ASSERT_EQ(list.Remove(name), at >= 0);
      if (at >= 0) model.erase(model.begin() + at);
    }
    ASSERT_EQ(list.Count(), model.size());
    for (std::size_t i = 0; i < model.size(); ++i) {
      ASSERT_EQ(list.Entries()[i], model[i].second);
      ASSERT_EQ(list.Find(u"K" + model[i].first.substr(1)), model[i].second);
    }
  }
}

}  // namespace
}  // namespace orvulink::platform
