// The reception commands: their command strings, fields in wire order, and the reads behind a
// key's Update.
#pragma once

#include <orvulink/receive.hpp>

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

// Each read resets the error state and raises on failure.
// Command 16: TextAutoResponder becomes the payload, taken whole. The key text may be empty.
void ReadAutoResponder(core::ControlState& state, OrvuReceptionKey& key);

// Command 6: MessageFromRecive becomes the payload's leading number, rounded half to even.
// An empty key text raises 28391 before any exchange.
void ReadWaitingCount(core::ControlState& state, OrvuReceptionKey& key);

}  // namespace orvulink::receive
