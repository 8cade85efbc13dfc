// The list positions of each group's members by recipient number, for the duplicate rules: one
// open-addressed table for the whole list and a chain of positions through an array, so that an
// add allocates nothing of its own (a table node per message was most of an add's cost).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace orvulink::send {

class PhoneIndex {
 public:
  // The first list position of a member of `group` with `phone`, 0 when there is none; the
  // others follow it through Next, in the order added, until 0.
  std::int16_t First(std::int32_t group, std::u16string_view phone) const;
  std::int16_t Next(std::int16_t position) const;
  // Appends the member at `position` (higher than any listed). `phone` views the message's own
  // number, which lives as long as the list holds the message, and the index is cleared with
  // the list.
  void Add(std::int32_t group, std::u16string_view phone, std::int16_t position);
  void Clear();

 private:
  struct Slot {
    std::u16string_view phone;
    std::size_t hash = 0;
    std::int32_t group = -1;  // -1: empty
    std::int16_t first = 0;
    std::int16_t last = 0;
  };
  static std::size_t HashOf(std::int32_t group, std::u16string_view phone) noexcept;
  // The slot holding (group, phone), or the empty one where it would go.
  std::size_t SlotOf(std::int32_t group, std::u16string_view phone, std::size_t hash) const;
  void Grow();

  std::vector<Slot> slots_;  // a power of two in size, at most half used
  std::size_t used_ = 0;
  std::vector<std::int16_t> next_;  // by list position
};

}  // namespace orvulink::send
