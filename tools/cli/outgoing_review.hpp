// What orvulink send checks and tells before anything goes out: numbers in international form,
// texts the component would change (characters outside the SMS alphabet, the length cut), and
// with --dry-run the messages as they would go out instead of sending them.
#pragma once

#include <vector>

#include "invocation.hpp"
#include "send_batches.hpp"
#include "session.hpp"

namespace orvulink::cli {

// Gives national numbers the default country code, warns on stderr of every text that will
// not go out as written, and returns -1 when the send is to go on, or the exit status to end
// with (a dry run shown, --strict refusing a changed text). Throws a UsageError for a number
// without an international prefix that no default country code fixes.
int ReviewOutgoing(const SendConfig& config, std::vector<Outgoing>& outgoing, Session& session);

}  // namespace orvulink::cli
