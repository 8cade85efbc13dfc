// The send command: every waiting message of the list in one gateway command, one line per
// send group, and the gateway's verdict written back into the messages.
#pragma once

#include <orvulink/send.hpp>

#include <string>

namespace orvulink::send {

struct SendListState;

// True when a success answer was applied, false when there was nothing to send; every other
// outcome is raised.
bool SendList(OrvuSendMessages& list);

// The send data: one line per group with recipients still to send, which become INSEND.
// Pumps the host's messages once per member, as the host may be a window.
std::u16string ComposeSendData(SendListState& state);
// The messages of the command being sent that are still INSEND back to TOSEND.
void ResetInSend(SendListState& state);
// Applies the result list of a success answer (the text after "01 "); a record with fewer
// than three fields raises the command error once the records before it are applied.
void ApplyResultList(SendListState& state, std::u16string_view resultList);

}  // namespace orvulink::send
