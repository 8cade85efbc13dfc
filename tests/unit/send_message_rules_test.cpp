// The per-field rules of an outgoing message are checked by the message_rules, phone and
// date_text fuzz targets against references; here only the refused-number lookup, whose fast
// index must agree with the plain scan on look-alike numbers.
#include <gtest/gtest.h>

#include "platform/text.hpp"
#include "send/find_phone.hpp"
#include "send/message_rules.hpp"

#include <string>

namespace orvulink::send {
namespace {

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
