// The command strings of the reception commands, fields in their wire order.
#pragma once

#include "core/control_state.hpp"
#include "gateway/command.hpp"

#include <string_view>

namespace orvulink::receive {

// 16: the key's automatic reply. KEY before SERIAL.
gateway::CommandString AutoResponderQuery(const core::ControlState& state, std::u16string_view key);
// 6: the count of messages waiting on the key. SERIAL before KEY.
gateway::CommandString WaitingCountQuery(const core::ControlState& state, std::u16string_view key);
// 17: a new automatic reply for the key.
gateway::CommandString AutoResponderChange(const core::ControlState& state, std::u16string_view key,
                                           std::u16string_view text);
// 4: the download of the key's new messages; marked as a test while TestMode is on.
gateway::CommandString IncomingDownload(const core::ControlState& state, std::u16string_view key);
// 5: the check that confirms the download. Never marked as a test.
gateway::CommandString DownloadCheck(const core::ControlState& state);

}  // namespace orvulink::receive
