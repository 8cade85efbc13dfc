// The capacity the send and status-query lists share: 1 to 3000 entries.
#pragma once

#include "core/control_state.hpp"
#include "core/error_exit.hpp"

#include <cstdint>

namespace orvulink::core {

inline constexpr std::int16_t kLargestList = 3000;

// A capacity outside 1..3000 is refused with the queue error.
inline void RequireListCapacity(ControlState& state, std::int16_t capacity) {
  if (capacity > kLargestList || capacity < 1) RaiseNumbered(state, ORVULINK_ERROR_MAXQUEUE);
}

}  // namespace orvulink::core
