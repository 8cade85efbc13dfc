// A send carried out under the journal: each command recorded before it goes out and as it comes
// back, the first Ctrl-C honoured between commands, and a summary of what went out and what did
// not when the send ends early.
#pragma once

#include <cstdint>
#include <vector>

#include "send_batches.hpp"
#include "session.hpp"

namespace orvulink::cli {

inline constexpr int kExitInterrupted = 128;  // plus the signal's number, as shells report it

// Sends `outgoing`, whose recipients are the journal's `seqs` of send `send`, and reports.
int SendRecorded(Session& session, std::int64_t send, const std::vector<Outgoing>& outgoing,
                 const std::vector<std::int64_t>& seqs, std::optional<int> batch);

// The recipients of a recorded send that never went out, grouped as they were given (one text,
// sender and time for consecutive recipients), with their seqs in the same order.
std::vector<Outgoing> UnsentOf(const SendRecord& record, std::vector<std::int64_t>& seqs);

}  // namespace orvulink::cli
