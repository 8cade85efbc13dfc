#include "send/message_setters.hpp"

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "send/access.hpp"
#include "send/message_rules.hpp"

#include <optional>

namespace orvulink::send {

void SetPhoneGsm(OrvuSendMessage& message, std::u16string_view text) {
  CheckedRecipient checked = CheckRecipient(text);
  if (!checked.valid) Access::Status(message) = ORVULINK_MESSAGESEND_ERRPHONEGSM;
  Access::SetPhoneGsm(message, checked.phone);
}

void SetSender(OrvuSendMessage& message, std::u16string_view text) {
  core::ResetErrorState(core::ThisThreadState());
  // Nearly every message of a list has the same sender: the last one is remembered.
  thread_local std::optional<std::u16string> lastGiven;
  thread_local std::optional<std::u16string> lastChecked;
  if (!lastGiven || *lastGiven != text) {
    lastGiven.reset();  // a failure below leaves nothing remembered
    lastChecked = CheckSender(text);
    lastGiven = std::u16string(text);
  }
  if (!lastChecked) {
    Access::Status(message) = ORVULINK_MESSAGESEND_ERRSENDER;
    return;
  }
  Access::Sender(message) = *lastChecked;
}

void SetDateTime(OrvuSendMessage& message, Date value) {
  std::optional<std::u16string> dateText = SendDateText(value);
  if (!dateText) {
    Access::Status(message) = ORVULINK_MESSAGESEND_ERRDATETIME;
    Access::GivenDate(message) = value;
    return;
  }
  Access::DateText(message) = std::move(*dateText);
}

void SetText(OrvuSendMessage& message, std::u16string_view text) {
  // One text for many recipients is the common list: the last one is remembered.
  // The messages made from it share the text as it is kept.
  thread_local std::optional<std::u16string> lastGiven;
  thread_local std::shared_ptr<const std::u16string> lastKept;
  thread_local std::int16_t lastParts = 0;
  if (!lastGiven || *lastGiven != text) {
    lastGiven.reset();  // a failure below leaves nothing remembered
    CountedText counted = CountParts(FilterMessageText(text));
    lastKept = std::make_shared<const std::u16string>(std::move(counted.text));
    lastParts = counted.parts;
    lastGiven = std::u16string(text);
  }
  Access::ShareText(message, lastKept);
  Access::NumSMS(message) = lastParts;
}

std::shared_ptr<OrvuSendMessage> BuildMessage(std::u16string_view phone, std::u16string_view text,
                                              std::u16string_view sender, Date sendDate) {
  auto message = Access::NewMessage();
  SetPhoneGsm(*message, phone);
  SetSender(*message, sender);
  SetDateTime(*message, sendDate);
  SetText(*message, text);
  return message;
}

}  // namespace orvulink::send
