// Adding to the send list: one recipient, or one text for many recipients.
#pragma once

#include <orvulink/send.hpp>

namespace orvulink::send {

// Each returns whether the message was added; failures are raised to the caller.
bool AddOneMessage(OrvuSendMessages& list, std::u16string_view phone, std::u16string_view text,
                   std::u16string_view sender, Date sendDate);
bool AddGroupMessages(OrvuSendMessages& list, const Collection& phones, std::u16string_view text,
                      std::u16string_view sender, Date sendDate);

}  // namespace orvulink::send
