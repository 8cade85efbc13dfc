// The validating setters of an outgoing message: a failed check is recorded in its status,
// never raised, and the last failing check wins.
#pragma once

#include <orvulink/send.hpp>

#include <string_view>

namespace orvulink::send {

void SetPhoneGsm(OrvuSendMessage& message, std::u16string_view text);
void SetSender(OrvuSendMessage& message, std::u16string_view text);
void SetDateTime(OrvuSendMessage& message, Date value);
void SetText(OrvuSendMessage& message, std::u16string_view text);

// A new message with the four setters applied in the list's order.
std::shared_ptr<OrvuSendMessage> BuildMessage(std::u16string_view phone, std::u16string_view text,
                                              std::u16string_view sender, Date sendDate);

}  // namespace orvulink::send
