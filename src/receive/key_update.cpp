// The key's trapped members that talk to the gateway about its automatic reply and count.
#include <orvulink/receive.hpp>

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/command_exchange.hpp"
#include "receive/access.hpp"
#include "receive/key_commands.hpp"
#include "receive/key_refresh.hpp"

namespace orvulink {

using core::ThisThreadState;
using core::Trapped;

VariantBool OrvuReceptionKey::Update() {
  CheckThread();
  auto& state = ThisThreadState();
  return Trapped(state, [&] {
    receive::ReadAutoResponder(state, *this);
    receive::ReadWaitingCount(state, *this);
    return VariantBool(true);
  });
}

// The gateway judges key and text; its refusal arrives as a result code. What it answers
// besides is not read: the reply shown is the one given.
VariantBool OrvuReceptionKey::SetAutoResponder(const BStr& NewAutoResponder) {
  CheckThread();
  auto& state = ThisThreadState();
  return Trapped(state, [&] {
    core::ResetErrorState(state);
    const auto command = receive::AutoResponderChange(state, receive::Access::KeyText(*this),
                                                      NewAutoResponder.str());
    gateway::ExchangeAndDecode(state, command);
    receive::Access::SetTextAutoResponder(*this, NewAutoResponder.str());
    return VariantBool(true);
  });
}

}  // namespace orvulink
