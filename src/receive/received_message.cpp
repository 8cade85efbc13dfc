// A received message: three values, written once by the download that created it.
#include <orvulink/receive.hpp>

#include "receive/access.hpp"

#include <utility>

namespace orvulink {

BStr OrvuReceivedMessage::PhoneGsm() const {
  CheckThread();
  return phoneGsm_;
}
Date OrvuReceivedMessage::DateTime() const {
  CheckThread();
  return dateTime_;
}
BStr OrvuReceivedMessage::Text() const {
  CheckThread();
  return text_;
}

namespace receive {

std::shared_ptr<OrvuReceivedMessage> Access::NewMessage() {
  return std::shared_ptr<OrvuReceivedMessage>(new OrvuReceivedMessage());
}
void Access::SetPhoneGsm(OrvuReceivedMessage& message, std::u16string phoneGsm) {
  message.phoneGsm_ = std::move(phoneGsm);
}
void Access::SetDateTime(OrvuReceivedMessage& message, Date dateTime) {
  message.dateTime_ = dateTime;
}
void Access::SetText(OrvuReceivedMessage& message, std::u16string text) {
  message.text_ = std::move(text);
}

}  // namespace receive
}  // namespace orvulink
