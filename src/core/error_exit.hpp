// Error state and the two error disciplines: trapped members end through RelayError, plain
// getters and setters run with failures suppressed.
#pragma once

#include "core/control_state.hpp"
#include "platform/reentry.hpp"
#include "platform/runtime_error.hpp"
#include "platform/suppressed.hpp"

#include <orvulink/automation.hpp>
#include <orvulink/enums.hpp>

#include <utility>

namespace orvulink::core {

using platform::kErrorSource;

// ErrCode 0, ErrDescription "".
void ResetErrorState(ControlState& state);

// Stores the numbered error's string-table text and number in the state, then raises it with
// the source "OrvuLink".
[[noreturn]] void RaiseNumbered(ControlState& state, OrvuLink_ErrorRuntime number);
// Stores `number` with `description` (a text of the gateway's own) and raises it.
[[noreturn]] void RaiseWithDescription(ControlState& state, OrvuLink_ErrorRuntime number,
                                       std::u16string description);

// The common error exit for the exception in flight: ErrCode becomes its number (low 16 bits
// when it does not fit), ErrDescription its text, and it is raised again with the source
// "OrvuLink". Call only from inside a catch block.
[[noreturn]] void RelayError(ControlState& state);

// Runs `body` as a trapped member: any failure ends it through RelayError.
template <class Body>
decltype(auto) Trapped(ControlState& state, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    RelayError(state);
  }
}

// Plain getters and setters, and the steps that must not stop a command, run with failures
// suppressed: a failing step ends quietly; nothing reaches the caller.
using platform::Suppressed;

// Starts a gateway command for a member whose own failure handling must not see a refusal (see
// platform::CommandScope): the refusal ends the member through RelayError at once.
inline platform::CommandScope EnterCommand(ControlState& state) {
  return Trapped(state, [] { return platform::CommandScope(); });
}

}  // namespace orvulink::core
