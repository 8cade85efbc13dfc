#include "platform/conversions.hpp"
#include "platform/text.hpp"
#include "send/access.hpp"

namespace orvulink {

OrvuSendOrderID::~OrvuSendOrderID() = default;

BStr OrvuSendOrderID::Item(std::int16_t Index) const {
  CheckThread();
  if (Index < 1 || Index > Count()) return BStr();
  return ids_[static_cast<std::size_t>(Index - 1)];
}

std::int16_t OrvuSendOrderID::Count() const {
  CheckThread();
  return storeExists_ ? platform::SaturatedCount(ids_.size()) : std::int16_t{0};
}

std::shared_ptr<Enumerator<BStr>> OrvuSendOrderID::NewEnum() const {
  CheckThread();
  if (!storeExists_) return nullptr;
  return std::make_shared<Enumerator<BStr>>(ids_);
}

namespace send {

std::shared_ptr<OrvuSendOrderID> Access::NewOrderIDs() {
  return std::shared_ptr<OrvuSendOrderID>(new OrvuSendOrderID());
}

void Access::AddOrderID(OrvuSendOrderID& ids, const std::u16string& id) {
  ids.storeExists_ = true;
  if (!ids.foldedIds_.insert(platform::FoldCase(id)).second) return;
  ids.ids_.emplace_back(id);
}

void Access::ReleaseAll(OrvuSendOrderID& ids) {
  ids.ids_.clear();
  ids.foldedIds_.clear();
  ids.storeExists_ = false;
}

std::shared_ptr<OrvuSendMessage> Access::NewMessage() {
  return std::shared_ptr<OrvuSendMessage>(new OrvuSendMessage());
}

}  // namespace send
}  // namespace orvulink
