#include "platform/conversions.hpp"
#include "platform/in_place.hpp"
#include "platform/text.hpp"
#include "send/access.hpp"

#include <unordered_set>

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
  return platform::MakeShared<OrvuSendOrderID, Access>();
}

std::vector<BStr> DistinctOrderIDs(std::u16string_view field) {
  std::vector<BStr> ids;
  std::unordered_set<std::u16string> folded;
  for (std::u16string& id : platform::Split(field, u",")) {
    if (folded.insert(platform::FoldCase(id)).second) ids.emplace_back(std::move(id));
  }
  return ids;
}

void Access::SetOrderIDs(OrvuSendOrderID& ids, std::vector<BStr> distinct) {
  // No order ID at all leaves the list without a store, as before any was added.
  ids.storeExists_ = !distinct.empty();
  ids.ids_ = std::move(distinct);
}

void Access::ReleaseAll(OrvuSendOrderID& ids) {
  ids.ids_.clear();
  ids.storeExists_ = false;
}

std::shared_ptr<OrvuSendMessage> Access::NewMessage() {
  return platform::MakeShared<OrvuSendMessage, Access>();
}

}  // namespace send
}  // namespace orvulink
