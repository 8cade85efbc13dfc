#include "receive/key_refresh.hpp"

#include "core/error_exit.hpp"
#include "gateway/command_exchange.hpp"
#include "platform/conversions.hpp"
#include "receive/access.hpp"
#include "receive/key_commands.hpp"

namespace orvulink::receive {

void ReadAutoResponder(core::ControlState& state, OrvuReceptionKey& key) {
  core::ResetErrorState(state);
  const auto command = AutoResponderQuery(state, Access::KeyText(key));
  Access::SetTextAutoResponder(key, gateway::ExchangeForPayload(state, command));
}

void ReadWaitingCount(core::ControlState& state, OrvuReceptionKey& key) {
  core::ResetErrorState(state);
  if (Access::KeyText(key).empty()) {
    core::RaiseNumbered(state, ORVULINK_EVENT_KEYRECIVE_REQUEST);
  }
  const auto command = WaitingCountQuery(state, Access::KeyText(key));
  const std::u16string payload = gateway::ExchangeForPayload(state, command);
  Access::SetMessageFromRecive(key, platform::RoundToInteger(platform::LeadingNumber(payload)));
}

}  // namespace orvulink::receive
