#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "platform/clock.hpp"
#include "send/access.hpp"
#include "send/message_rules.hpp"

namespace orvulink {

OrvuSendMessage::~OrvuSendMessage() {
  // A host may still hold the order IDs; it sees them emptied with the message.
  if (orderID_) send::Access::ReleaseAll(*orderID_);
}

std::shared_ptr<OrvuSendOrderID> OrvuSendMessage::OrderID() const {
  CheckThread();
  return orderID_;
}
std::int16_t OrvuSendMessage::NumSMS() const {
  CheckThread();
  return numSMS_;
}
OrvuLink_StatusMessage OrvuSendMessage::Status() const {
  CheckThread();
  return status_;
}
BStr OrvuSendMessage::PhoneGsm() const {
  CheckThread();
  return phoneGsm_.view();
}
BStr OrvuSendMessage::Text() const {
  CheckThread();
  return text_ ? BStr(*text_) : BStr();
}
Date OrvuSendMessage::DateTime() const {
  CheckThread();
  if (send::SendsNow(dateText_)) return platform::Now();
  if (dateText_.empty()) return givenDate_;
  return send::DateFromSendDateText(dateText_);
}
BStr OrvuSendMessage::Sender() const {
  CheckThread();
  core::ResetErrorState(core::ThisThreadState());
  return sender_;
}

}  // namespace orvulink
