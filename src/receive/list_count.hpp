// The 16-bit count of a list, as the interface hands it out.
#pragma once

#include "platform/conversions.hpp"

#include <cstddef>
#include <cstdint>

namespace orvulink::receive {

// A list longer than an Integer can count raises 6 (overflow) rather than wrapping.
inline std::int16_t ListCount(std::size_t size) {
  return platform::RoundToInteger(static_cast<double>(size));
}

// The entry at a 1-based position, or null outside 1..size.
template <class Ptr, class Vector>
Ptr EntryAt(const Vector& entries, std::int16_t index) {
  if (index < 1 || static_cast<std::size_t>(index) > entries.size()) return nullptr;
  return entries[static_cast<std::size_t>(index) - 1];
}

}  // namespace orvulink::receive
