// The send command (14): charges the account, records the orders and answers their IDs.
#pragma once

#include "sim/protocol.hpp"

namespace orvulink::sim {

// Order IDs of real sends and of test-mode sends, so a test order is plain to see.
inline constexpr std::string_view kOrderIdPrefix = "ORD-";
inline constexpr std::string_view kTestOrderIdPrefix = "TEST-";

// Answers "01 " and one record per line, joined by TAB: «group;order ID;refused numbers».
// The client reads the records between the first and the second space, so the separator after
// the code is a space here and the records hold none.
Answer SendCommand(CommandContext& context);

// "+" and 6 to 14 digits: the numbers the gateway can route at all.
bool IsRoutableNumber(std::string_view phone);

}  // namespace orvulink::sim
