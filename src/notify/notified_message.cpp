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
  // A status answer sets thousands: a number without separators is formed in one copy.
  const auto assignForm = [&recipient](std::u16string_view number) {
    const gateway::PhoneGsmParts form = gateway::PhoneGsmFormParts(number);
    recipient.phoneGsm_.assign(form.plus ? u"+" : u"", form.rest);
  };
  if (!gateway::HoldsSeparators(phone)) {
    assignForm(phone);
    return;
  }
  std::u16string stripped(phone);
  gateway::StripSeparators(stripped);
  assignForm(stripped);
}

}  // namespace notify
}  // namespace orvulink
