// Decoding of the gateway's answer text: result code to success or a numbered error.
#pragma once

#include "core/control_state.hpp"

#include <string>
#include <string_view>

namespace orvulink::gateway {

// Returns when the result code is "01"; otherwise stores the error in the state and raises it.
// A "<pre>" message in the answer becomes ErrDescription, success included.
void DecodeAnswer(core::ControlState& state, std::u16string_view answer);

// The payload: the answer text from its fourth character on ("" when shorter).
std::u16string Payload(std::u16string_view answer);
// The same, viewing `answer`.
std::u16string_view PayloadView(std::u16string_view answer);

}  // namespace orvulink::gateway
