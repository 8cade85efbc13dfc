#include "send/phone_index.hpp"

#include <algorithm>
#include <functional>
#include <utility>

namespace orvulink::send {
namespace {

constexpr std::size_t kFirstSize = 64;

}  // namespace

std::size_t PhoneIndex::HashOf(std::int32_t group, std::u16string_view phone) noexcept {
  const std::size_t mixed = std::hash<std::u16string_view>()(phone) ^
                            (static_cast<std::size_t>(group) * 0x9E3779B97F4A7C15u);
  return mixed ^ (mixed >> 29);
}

std::size_t PhoneIndex::SlotOf(std::int32_t group, std::u16string_view phone,
                               std::size_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.group < 0) return at;
    if (slot.hash == hash && slot.group == group && slot.phone == phone) return at;
  }
}

std::int16_t PhoneIndex::First(std::int32_t group, std::u16string_view phone) const {
  if (slots_.empty()) return 0;
  const Slot& slot = slots_[SlotOf(group, phone, HashOf(group, phone))];
  return slot.group < 0 ? 0 : slot.first;
}

std::int16_t PhoneIndex::Next(std::int16_t position) const {
  const auto at = static_cast<std::size_t>(position);
  return at < next_.size() ? next_[at] : 0;
}

void PhoneIndex::Add(std::int32_t group, std::u16string_view phone, std::int16_t position) {
  if ((used_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t hash = HashOf(group, phone);
  Slot& slot = slots_[SlotOf(group, phone, hash)];
  if (next_.size() <= static_cast<std::size_t>(position)) next_.resize(position + 1, 0);
  next_[static_cast<std::size_t>(position)] = 0;
  if (slot.group < 0) {
    slot = {phone, hash, group, position, position};
    ++used_;
    return;
  }
  next_[static_cast<std::size_t>(slot.last)] = position;
  slot.last = position;
}

void PhoneIndex::Clear() {
  // The table keeps its size: a list emptied is mostly filled again to about the same length.
  if (used_ > 0) std::fill(slots_.begin(), slots_.end(), Slot());
  used_ = 0;
  next_.clear();
}

void PhoneIndex::Grow() {
  const std::size_t size = std::max(kFirstSize, slots_.size() * 2);
  const std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(size));
  for (const Slot& slot : old) {
    if (slot.group >= 0) slots_[SlotOf(slot.group, slot.phone, slot.hash)] = slot;
  }
}

}  // namespace orvulink::send
