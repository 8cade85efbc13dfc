// What the send list will make of a message text, for a host that wants to tell its user
// before sending: the text and part count a message will hold, and what the rules took away.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/export.hpp>

#include <cstdint>

namespace orvulink {

struct MessageTextCheck {
  BStr text;                  // as OrvuSendMessage::Text() will read
  std::int16_t parts = 0;     // as OrvuSendMessage::NumSMS() will read
  BStr dropped;               // every unit outside the message alphabet, in order, as deleted
  std::int32_t cutUnits = 0;  // UTF-16 units past the length limit, cut off before the filter
  bool wordsBroken = false;   // a word longer than one part was broken with spaces
};

// The rules AddMessage and AddGroupMessage apply to MessageText, without building a message.
ORVULINK_API MessageTextCheck CheckMessageText(const BStr& text);

// Whether a message text may carry `unit` (CR stands for a line break).
ORVULINK_API bool IsMessageCharacter(char16_t unit);

// The longest text a message keeps, in UTF-16 units.
ORVULINK_API std::int32_t MaxMessageTextLength();

}  // namespace orvulink
