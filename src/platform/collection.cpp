// The host's collection: items in the order added, 1-based, with optional keys compared
// without regard to letter case.
#include <orvulink/automation.hpp>

#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <algorithm>
#include <utility>

namespace orvulink {
namespace {

// Room for one more, growing by doubling as push_back would: reserving exactly one more each
// time would move every item on every add.
template <class Items>
void MakeRoomForOne(Items& items) {
  if (items.size() == items.capacity()) items.reserve(std::max<std::size_t>(8, 2 * items.size()));
}

std::size_t CheckedPosition(std::int32_t index, std::size_t count) {
  if (index < 1 || static_cast<std::size_t>(index) > count) {
    platform::RaiseRuntimeError(platform::kErrSubscript);
  }
  return static_cast<std::size_t>(index) - 1;
}

}  // namespace

void Collection::Add(Variant item, const BStr& key) {
  std::optional<std::u16string> folded;
  if (!key.empty()) {
    folded = platform::FoldCase(key.str());
    if (positions_.contains(*folded)) platform::RaiseRuntimeError(platform::kErrDuplicateKey);
  }
  // Reserve first so that nothing below can fail half-way through the three containers.
  MakeRoomForOne(items_);
  MakeRoomForOne(keys_);
  if (folded) positions_.emplace(*folded, items_.size());
  items_.push_back(std::move(item));
  keys_.push_back(std::move(folded));
}

const Variant& Collection::Item(std::int32_t index) const {
  return items_[CheckedPosition(index, items_.size())];
}

const Variant& Collection::Item(const BStr& key) const {
  const auto found = positions_.find(platform::FoldCase(key.str()));
  if (found == positions_.end()) platform::RaiseRuntimeError(platform::kErrInvalidCall);
  return items_[found->second];
}

void Collection::Remove(std::int32_t index) {
  const std::size_t position = CheckedPosition(index, items_.size());
  if (keys_[position]) positions_.erase(*keys_[position]);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
  keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(position));
  // Items after the removed one moved down by one.
  for (auto& entry : positions_) {
    if (entry.second > position) --entry.second;
  }
}

}  // namespace orvulink
