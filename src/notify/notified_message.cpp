#include "gateway/phone.hpp"
#include "notify/access.hpp"
#include "platform/in_place.hpp"

namespace orvulink {

OrvuNotifiedMessage::~OrvuNotifiedMessage() = default;

BStr OrvuNotifiedMessage::PhoneGsm() const {
  CheckThread();
  return phoneGsm_.view();
}
Date OrvuNotifiedMessage::DateTime() const {
  CheckThread();
  return dateTime_;
}
OrvuLink_CodeReason OrvuNotifiedMessage::ReasonCode() const {
  CheckThread();
  return reasonCode_;
}
OrvuLink_StateNotify OrvuNotifiedMessage::Status() const {
  CheckThread();
  return status_;
}

namespace notify {

std::shared_ptr<OrvuNotifiedMessage> Access::NewRecipient() {
  return platform::MakeShared<OrvuNotifiedMessage, Access>();
}

void Access::SetPhoneGsm(OrvuNotifiedMessage& recipient, std::u16string_view phone) {
  // A status answer sets thousands: a number without separators is formed without a copy.
  std::u16string stripped;
  std::u16string_view number = phone;
  if (gateway::HoldsSeparators(phone)) {
    stripped.assign(phone);
    gateway::StripSeparators(stripped);
    number = stripped;
  }
  const gateway::PhoneGsmParts form = gateway::PhoneGsmFormParts(number);
  recipient.phoneGsm_.assign(form.prefix, form.rest);
}

}  // namespace notify
}  // namespace orvulink
