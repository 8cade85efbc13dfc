#include "gateway/phone.hpp"
#include "notify/access.hpp"
#include "platform/in_place.hpp"

namespace orvulink {

OrvuNotifiedMessage::~OrvuNotifiedMessage() = default;

BStr OrvuNotifiedMessage::PhoneGsm() const {
  CheckThread();
  return phoneGsm_;
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
  std::u16string normalised;
  normalised.reserve(phone.size() + 1);  // room for the "+" normalising may put in front
  normalised.assign(phone);
  gateway::StripSeparators(normalised);
  gateway::NormalizePhoneGsm(normalised);
  recipient.phoneGsm_ = std::move(normalised);
}

}  // namespace notify
}  // namespace orvulink
