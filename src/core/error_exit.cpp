#include "core/error_exit.hpp"

#include "platform/runtime_error.hpp"
#include "typelib/string_table.hpp"

namespace orvulink::core {

void ResetErrorState(ControlState& state) {
  state.ErrCode = 0;
  state.ErrDescription.clear();
}

void RaiseNumbered(ControlState& state, OrvuLink_ErrorRuntime number) {
  RaiseWithDescription(state, number, typelib::ErrorText(number).str());
}

void RaiseWithDescription(ControlState& state, OrvuLink_ErrorRuntime number,
                          std::u16string description) {
  state.ErrDescription = std::move(description);
  state.ErrCode = static_cast<std::int16_t>(number);
  throw AutomationError(number, kErrorSource, state.ErrDescription);
}

void RelayError(ControlState& state) {
  const AutomationError pending = platform::CurrentExceptionAsAutomationError();
  // A number that does not fit keeps its low 16 bits, as a 16-bit store of it would.
  state.ErrCode = static_cast<std::int16_t>(static_cast<std::uint16_t>(pending.Number() & 0xFFFF));
  state.ErrDescription = pending.Description().str();
  throw AutomationError(state.ErrCode, kErrorSource, state.ErrDescription);
}

}  // namespace orvulink::core
