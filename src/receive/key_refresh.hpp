// The two reads behind a key's Update. Each resets the error state and raises on failure.
#pragma once

#include <orvulink/receive.hpp>

#include "core/control_state.hpp"

namespace orvulink::receive {

// Command 16: TextAutoResponder becomes the payload, taken whole. The key text may be empty.
void ReadAutoResponder(core::ControlState& state, OrvuReceptionKey& key);

// Command 6: MessageFromRecive becomes the payload's leading number, rounded half to even.
// An empty key text raises 28391 before any exchange.
void ReadWaitingCount(core::ControlState& state, OrvuReceptionKey& key);

}  // namespace orvulink::receive
