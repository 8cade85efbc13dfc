// The common tail of every command: exchange, decode, payload.
#pragma once

#include "core/control_state.hpp"
#include "gateway/command.hpp"

#include <string>

namespace orvulink::gateway {

// Sends the command through this thread's exchange, decodes the answer and returns it whole
// (result code and separator included).
std::u16string ExchangeAndDecode(core::ControlState& state, const CommandString& command);

// As ExchangeAndDecode, then returns the payload (from the fourth character); an empty payload
// raises 28390 (command error).
std::u16string ExchangeForPayload(core::ControlState& state, const CommandString& command);

}  // namespace orvulink::gateway
