// Handlers of the account commands: credit (2), user information (7), delete (9).
#pragma once

#include <string>

#include "sim/protocol.hpp"

namespace orvulink::sim {

Answer CreditCommand(CommandContext& context);
Answer UserInfoCommand(CommandContext& context);
Answer DeleteCommand(CommandContext& context);

// "150.50": a "." and two decimals whatever the locale.
std::string FormatCredit(double credit);

}  // namespace orvulink::sim
