#include "receive/key_refresh.hpp"

#include "control/error_exit.hpp"
#include "gateway/command_exchange.hpp"
#include "platform/conversions.hpp"
#include "receive/access.hpp"
#include "receive/key_commands.hpp"

namespace orvulink::receive {

void ReadAutoResponder(control::ControlState& state, OrvuReceptionKey& key) {
  control::ResetErrorState(state);
  const auto command = AutoResponderQuery(state, Access::KeyText(key));
  Access::SetTextAutoResponder(key, gateway::ExchangeForPayload(state, command));
}

void ReadWaitingCount(control::ControlState& state, OrvuReceptionKey& key) {
  control::ResetErrorState(state);
  if (Access::KeyText(key).empty()) {
    control::RaiseNumbered(state, ORVULINK_EVENT_KEYRECIVE_REQUEST);
  }
  const auto command = WaitingCountQuery(state, Access::KeyText(key));
  const std::u16string payload = gateway::ExchangeForPayload(state, command);
  Access::SetMessageFromRecive(key, platform::RoundToInteger(platform::LeadingNumber(payload)));
}

}  // namespace orvulink::receive
