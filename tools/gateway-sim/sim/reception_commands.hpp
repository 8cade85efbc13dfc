// Handlers of the reception commands: download (4), download check (5), waiting count (6),
// automatic reply read (16) and change (17). A key the account does not own answers "93".
#pragma once

#include "sim/protocol.hpp"

namespace orvulink::sim {

Answer DownloadCommand(CommandContext& context);
Answer DownloadCheckCommand(CommandContext& context);
Answer WaitingCountCommand(CommandContext& context);
Answer AutoresponderQueryCommand(CommandContext& context);
Answer AutoresponderChangeCommand(CommandContext& context);

// One waiting message as a download carries it: date TAB time TAB sender TAB text.
std::string FormatDownloadedSms(const IncomingSms& sms);

}  // namespace orvulink::sim
