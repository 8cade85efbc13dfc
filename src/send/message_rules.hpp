// The checks and rewrites a value goes through before it is stored in an outgoing message.
// Pure functions: the message records their verdicts in its status.
#pragma once

#include <orvulink/automation.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvulink::send {

// The send date of a message to be sent at once.
inline constexpr std::u16string_view kSendNow = u"NOW";
// Whether a stored send date means "at once" (the component stores it in capitals; any case
// is read as such).
bool SendsNow(std::u16string_view dateText);

struct CheckedRecipient {
  std::u16string phone;  // stored whatever the verdict
  bool valid;
};
// International form, judged before the separators are deleted.
CheckedRecipient CheckRecipient(std::u16string_view text);

// The sender to store, or nothing when it is empty or of the wrong length.
std::optional<std::u16string> CheckSender(std::u16string_view text);

// "NOW" for the zero date, "yyyy-mm-dd HH:mm" for a calendar date, nothing for a value that
// is only a time of day (or no date at all).
std::optional<std::u16string> SendDateText(Date value);
// The date a send-date text stands for; "NOW" is not one.
Date DateFromSendDateText(std::u16string_view text);

// The longest text a message keeps, in UTF-16 units; the rest is cut off.
inline constexpr std::size_t kMaxTextLength = 640;

// Cut to 640 units, CR LF to CR, characters outside the message alphabet deleted.
std::u16string FilterMessageText(std::u16string_view text);

struct CountedText {
  std::u16string text;  // words longer than one part broken with a space
  std::int16_t parts;
};
// The SMS parts a text needs: words packed whole into parts of at most 157 units.
CountedText CountParts(std::u16string_view text);

}  // namespace orvulink::send
