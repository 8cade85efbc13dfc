// The public preview of the text rules: the same functions the message setter runs, plus a
// record of what they removed.
#include <orvulink/message_text.hpp>

#include "platform/text.hpp"
#include "send/message_alphabet.hpp"
#include "send/message_rules.hpp"

namespace orvulink {

MessageTextCheck CheckMessageText(const BStr& text) {
  const std::u16string_view given = text.str();
  MessageTextCheck check;
  if (given.size() > send::kMaxTextLength) {
    check.cutUnits = static_cast<std::int32_t>(given.size() - send::kMaxTextLength);
  }
  std::u16string dropped;
  const std::u16string kept(given.substr(0, send::kMaxTextLength));
  for (char16_t unit : platform::ReplaceAll(kept, u"\r\n", u"\r")) {
    if (!send::InMessageAlphabet(unit)) dropped += unit;
  }
  check.dropped = BStr(std::move(dropped));
  const std::u16string filtered = send::FilterMessageText(given);
  send::CountedText counted = send::CountParts(filtered);
  check.wordsBroken = counted.text != filtered;
  check.text = BStr(std::move(counted.text));
  check.parts = counted.parts;
  return check;
}

bool IsMessageCharacter(char16_t unit) {
  return send::InMessageAlphabet(unit);
}

std::int32_t MaxMessageTextLength() {
  return static_cast<std::int32_t>(send::kMaxTextLength);
}

}  // namespace orvulink
