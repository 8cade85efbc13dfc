// The per-field rules of an outgoing message are checked by the message_rules, phone and
// date_text fuzz targets against references; here their limits, which random inputs seldom
// hit exactly, and the refused-number lookup, whose index must agree with the plain scan.
#include <gtest/gtest.h>

#include "gateway/phone.hpp"
#include "platform/text.hpp"
#include "send/find_phone.hpp"
#include "send/message_rules.hpp"

#include <orvulink/message_text.hpp>

#include <string>

namespace orvulink::send {
namespace {

TEST(SendRules, LengthLimitsAndSeparatorOrder) {
  for (const auto& [number, valid] : {std::pair{u"33312", false},
                                      {u"333123", true},
                                      {u"12345678901234", true},
                                      {u"123456789012345", false}}) {
    std::u16string phone = number;
    EXPECT_EQ(gateway::NormalizePhoneGsm(phone), valid) << BStr(number).utf8();
  }
  // Trimmed first; a leading "00" becomes the "+", which is then not doubled.
  for (const auto& [number, form] : {std::pair{u"  0039 333 ", u"+39 333"},
                                     {u"00+39", u"++39"},
                                     {u"0+39", u"+0+39"},
                                     {u"   ", u"+"},
                                     {u"+39", u"+39"}}) {
    EXPECT_EQ(gateway::PhoneGsmForm(number), form) << BStr(number).utf8();
  }
  for (const auto& [sender, valid] : {std::pair{u"ABC", true},
                                      {u"ABCDEFGHIJK", true},
                                      {u"ABCDEFGHIJKL", false},
                                      {u"AB", false},
                                      {u"123456789012345", true},
                                      {u"1234567890123456", false}})
    EXPECT_EQ(CheckSender(sender).has_value(), valid) << BStr(sender).utf8();
  std::u16string separated = u"\r:\n";  // CR LF goes only as a pair, and before ":" does
  gateway::StripSeparators(separated);
  EXPECT_EQ(separated, u"\r\n");
  EXPECT_EQ(FilterMessageText(std::u16string(700, u'a')).size(), 640u);
  EXPECT_EQ(CountParts(std::u16string(156, u'x')).parts, 1);
  EXPECT_EQ(CountParts(std::u16string(157, u'x')).parts, 2);
}

// The host's preview must agree with what the message stores, and name what was taken away.
TEST(SendRules, TextCheckReportsWhatTheRulesRemoved) {
  const struct {
    std::u16string text;
    std::u16string dropped;
    std::int32_t cut;
    bool broken;
  } cases[] = {{u"Ciao \U0001F600 \u00e0\u20ac\r\nok", u"\U0001F600\u20ac", 0, false},
               {std::u16string(639, u'a') + u"\u20ac\u20ac", u"\u20ac", 1, true},
               {std::u16string(200, u'b') + u"[x]", u"[]", 0, true},
               {u"plain text", u"", 0, false}};
  for (const auto& c : cases) {
    const MessageTextCheck check = CheckMessageText(BStr(c.text));
    const CountedText stored = CountParts(FilterMessageText(c.text));
    EXPECT_EQ(check.text.str(), stored.text);
    EXPECT_EQ(check.parts, stored.parts);
    EXPECT_EQ(check.dropped.str(), c.dropped) << check.dropped.utf8();
    EXPECT_EQ(check.cutUnits, c.cut);
    EXPECT_EQ(check.wordsBroken, c.broken);
  }
}

TEST(SendRules, RefusedNumbersAgreeWithTheEntryScan) {
  const struct {
    const char* list;
    const char* phone;
    bool found;
  } cases[] = {
      {"+39111,+39222", "+39222", true},  {"+39111,+39222", "+3911", false},
      {"+391112,+39111", "+39111", true}, {"", "+39111", false},
      {"39111", "+39111", false},         {"+3939", "39", false},
      {"+39x39,1", "39", false},          {"+39,+1", "39", true},
      {"a+39111", "+39111", true},        {"+39111+39111", "+39111", false},
  };
  for (const auto& c : cases) {
    const std::u16string list = platform::Utf8ToUtf16(c.list);
    const std::u16string phone = platform::Utf8ToUtf16(c.phone);
    EXPECT_EQ(FindPhone(list, phone) != 0, c.found) << c.list << " / " << c.phone;
    EXPECT_EQ(RefusedNumbers(list).Contains(phone), c.found) << c.list << " / " << c.phone;
  }
}

}  // namespace
}  // namespace orvulink::send
