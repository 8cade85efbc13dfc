// The tail that every command shares: the exchange answers, DecodeAnswer judges the result code,
// and a command that needs a payload refuses an empty one.
#include "gateway/command_exchange.hpp"

#include "core/error_exit.hpp"
#include "gateway/answer.hpp"
#include "gateway/exchange_form.hpp"

namespace orvulink::gateway {

std::u16string ExchangeAndDecode(core::ControlState& state, const CommandString& command) {
  std::u16string answer = ThisThreadExchangeForm().getUrl(command.str());
  DecodeAnswer(state, answer);
  return answer;
}

std::u16string ExchangeForPayload(core::ControlState& state, const CommandString& command) {
  std::u16string payload = Payload(ExchangeAndDecode(state, command));
  if (payload.empty()) core::RaiseNumbered(state, ORVULINK_ERROR_COMMAND);
  return payload;
}

}  // namespace orvulink::gateway
