// The status query (15): the delivery status of each recipient of the orders asked for.
#pragma once

#include "sim/protocol.hpp"

namespace orvulink::sim {

// QUERYDATA is «order ID:number» items joined by ";", an empty number asking for every
// recipient of the order. The answer has one line per item, lines joined by CR LF:
// «order ID» TAB entries joined by ";", or "NULL" when the gateway knows nothing for it. An
// entry is «yyyy-mm-dd,HH:MM:SS,number,status» and, for a failed delivery, «,reason».
// When the status-query service is off, or the account may not use it, "00" and a message.
Answer StatusCommand(CommandContext& context);

}  // namespace orvulink::sim
