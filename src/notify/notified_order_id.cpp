#include "notify/access.hpp"
#include "platform/conversions.hpp"
#include "platform/in_place.hpp"

namespace orvulink {

OrvuNotifiedOrderID::OrvuNotifiedOrderID()
    : recipients_(std::make_unique<notify::RecipientList>()) {}

OrvuNotifiedOrderID::~OrvuNotifiedOrderID() = default;

OrvuNotifiedOrderID::MessagePtr OrvuNotifiedOrderID::ItemPhone(const BStr& Phone) const {
  CheckThread();
  return recipients_->Find(Phone.str());
}
OrvuNotifiedOrderID::MessagePtr OrvuNotifiedOrderID::Item(std::int16_t Index) const {
  CheckThread();
  return recipients_->At(Index);
}
std::int16_t OrvuNotifiedOrderID::Count() const {
  CheckThread();
  return platform::SaturatedCount(recipients_->Count());
}
std::shared_ptr<Enumerator<OrvuNotifiedOrderID::MessagePtr>> OrvuNotifiedOrderID::NewEnum() const {
  CheckThread();
  if (!recipients_->Exists()) return nullptr;
  return std::make_shared<Enumerator<MessagePtr>>(recipients_->Entries());
}
BStr OrvuNotifiedOrderID::OrderID() const {
  CheckThread();
  return orderID_;
}
OrvuLink_StateOrederID OrvuNotifiedOrderID::Status() const {
  CheckThread();
  return status_;
}

std::vector<OrvuNotifiedOrderID::MessagePtr>::const_iterator OrvuNotifiedOrderID::begin() const {
  CheckThread();
  return recipients_->Entries().begin();
}
std::vector<OrvuNotifiedOrderID::MessagePtr>::const_iterator OrvuNotifiedOrderID::end() const {
  CheckThread();
  return recipients_->Entries().end();
}

std::shared_ptr<OrvuNotifiedOrderID> notify::Access::NewOrderID(std::u16string orderId) {
  auto created = platform::MakeShared<OrvuNotifiedOrderID, Access>();
  created->orderID_ = std::move(orderId);
  return created;
}

}  // namespace orvulink
