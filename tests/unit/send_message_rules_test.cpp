#include <gtest/gtest.h>

#include "platform/text.hpp"
#include "send/find_phone.hpp"
#include "send/message_rules.hpp"

#include <optional>
#include <string>

namespace orvulink::send {
namespace {

std::u16string U(const char* utf8) {
  return platform::Utf8ToUtf16(utf8);
}

TEST(SendRules, RecipientsAreJudgedBeforeTheirSeparatorsGo) {
  const struct {
    const char* given;
    const char* stored;
    bool valid;
  } cases[] = {
      {"00391112223334", "+391112223334", true},   {" +39;111,222333 ", "+39111222333", false},
      {"+39 111 2223334", "+391112223334", false}, {"+39111\t2223334", "+391112223334", false},
      {"  0039333111222  ", "+39333111222", true},
  };
  for (const auto& c : cases) {
    const CheckedRecipient checked = CheckRecipient(U(c.given));
    EXPECT_EQ(checked.phone, U(c.stored)) << c.given;
    EXPECT_EQ(checked.valid, c.valid) << c.given;
  }
}

TEST(SendRules, SendersKeepTheirLengthRules) {
  const struct {
    const char* given;
    std::optional<const char*> stored;
  } cases[] = {
      {"AB", std::nullopt},
      {"ABCDEFGHIJK", "ABCDEFGHIJK"},
      {"Ma rio", "Ma rio"},
      {"ABCDEFGHIJKL", std::nullopt},
      {"ABC", "ABC"},
      {"+391112", std::nullopt},
      {"+3911122", "3911122"},
      {"123456789012345", "123456789012345"},
      {"00391112223334", "391112223334"},
      {"A,B\tC\r\nD", "ABCD"},
      {",\t", std::nullopt},
      {"1234567890123456", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto stored = CheckSender(U(c.given));
    ASSERT_EQ(stored.has_value(), c.stored.has_value()) << c.given;
    if (stored) {
      EXPECT_EQ(*stored, U(*c.stored)) << c.given;
    }
  }
}

TEST(SendRules, SendDatesDropTheSecondsAndRefuseATimeAlone) {
  EXPECT_EQ(SendDateText(Date{}), u"NOW");
  EXPECT_EQ(SendDateText(Date::FromParts({2006, 1, 20, 15, 30, 45})), u"2006-01-20 15:30");
  EXPECT_EQ(SendDateText(Date(10.5 / 24.0)), std::nullopt);  // 10:30 without a date
  EXPECT_EQ(SendDateText(Date(-0.25)), std::nullopt);        // within day zero too
  EXPECT_EQ(SendDateText(Date(1e9)), std::nullopt);          // beyond the calendar
  EXPECT_EQ(DateFromSendDateText(u"2006-01-20 15:30"), Date::FromParts({2006, 1, 20, 15, 30, 0}));
}

TEST(SendRules, TextsLoseWhatTheAlphabetLacks) {
  const struct {
    const char* given;
    const char* kept;
  } cases[] = {
      {"Ciao{mondo}", "Ciaomondo"},
      {"a\r\nb\nc\rd", "a\rbc\rd"},
      {"[\\]^`{|}~\t€Ω", ""},
      {"¡£¤¥§¿ÄÅÆÇÉÑÖØÜßàäåæèéìñòöøùü @$_!\"#%&'()*+,-./:;<=>?", nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FilterMessageText(U(c.given)), U(c.kept ? c.kept : c.given)) << c.given;
  }
  EXPECT_EQ(FilterMessageText(std::u16string(700, u'a')).size(), 640u);
  // The cut comes first: a CR LF split by it keeps its CR.
  EXPECT_EQ(FilterMessageText(std::u16string(639, u'a') + u"\r\nb"),
            std::u16string(639, u'a') + u"\r");
}

TEST(SendRules, PartsPackWholeWords) {
  const std::u16string w78(78, u'a');
  const struct {
    std::u16string text;
    std::int16_t parts;
    bool rewritten;
  } cases[] = {
      {u"", 1, false},
      {w78 + u" " + w78, 1, false},
      {w78 + u" " + w78 + u"b", 2, false},
      {std::u16string(157, u'x'), 2, true},
      {std::u16string(156, u'x'), 1, false},
      {std::u16string(100, u'a') + u" " + std::u16string(100, u'b'), 2, false},
      {std::u16string(313, u'x'), 3, true},
  };
  for (const auto& c : cases) {
    const CountedText counted = CountParts(c.text);
    EXPECT_EQ(counted.parts, c.parts) << c.text.size();
    EXPECT_EQ(counted.text != c.text, c.rewritten) << c.text.size();
  }
  EXPECT_EQ(CountParts(std::u16string(160, u'x')).text,
            std::u16string(156, u'x') + u" " + std::u16string(4, u'x'));
}

TEST(SendRules, RefusedNumbersAgreeWithTheEntryScan) {
  const struct {
    const char* list;
    const char* phone;
    bool found;
  } cases[] = {
      {"+39111,+39222", "+39222", true},
      {"+39111,+39222", "+3911", false},
      {"+391112,+39111", "+39111", true},
      {"", "+39111", false},
      {"+39111,", "+39111", true},
      {"39111", "+39111", false},
      {"+3939", "39", false},
      {"+39x39,1", "39", false},
      {"+39,+1", "39", true},
      {"a+39111", "+39111", true},
      {"+39111+39111", "+39111", false},
  };
  for (const auto& c : cases) {
    const std::u16string list = U(c.list);
    const std::u16string phone = U(c.phone);
    EXPECT_EQ(FindPhone(list, phone) != 0, c.found) << c.list << " / " << c.phone;
    EXPECT_EQ(RefusedNumbers(list).Contains(phone), c.found) << c.list << " / " << c.phone;
  }
}

}  // namespace
}  // namespace orvulink::send
