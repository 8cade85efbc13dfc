// orvulink send --dry-run: the messages as the component's own send list makes them (number,
// sender, text, parts, status), shown instead of sent.
#pragma once

#include <vector>

#include "send_batches.hpp"
#include "session.hpp"

namespace orvulink::cli {

// Fills the control's send list with `outgoing`, prints what it holds and empties it again;
// the gateway is never contacted. Group N is the Nth text of the command line or file.
void PrintDryRun(const std::vector<Outgoing>& outgoing, Session& session);

}  // namespace orvulink::cli
