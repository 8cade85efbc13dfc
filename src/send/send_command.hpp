// The send command: every waiting message of the list in one gateway command, one line per
// send group, and the gateway's verdict written back into the messages.
#pragma once

#include <orvulink/send.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvulink::send {

struct SendListState;

// True when a success answer was applied, false when there was nothing to send; every other
// outcome is raised.
bool SendList(OrvuSendMessages& list);

// A message a command carries; `applied` once the answer has reached it.
struct CarriedMessage {
  std::shared_ptr<OrvuSendMessage> message;
  bool applied = false;
};
struct CarriedGroup {
  std::int32_t number;
  std::vector<CarriedMessage> messages;
};

// What one command carries, held by the command itself: the host may remove the messages or
// empty the list while the command is in flight, and the answer still belongs to them.
struct SendBatch {
  std::u16string sendData;
  std::vector<CarriedGroup> groups;  // ascending group numbers
  std::uint64_t listGeneration = 0;  // the list's generation when the batch was composed

  // The carried group with `number`; null when the command had no line for it.
  CarriedGroup* Group(std::int32_t number);
};

// The send data: one line per group with recipients still to send, which become INSEND. Pumps
// the host's messages once per member, as the host may be a window; messages the host adds
// meanwhile wait for the next command.
SendBatch ComposeSendData(SendListState& state);
// The batch's messages that are still INSEND back to TOSEND.
void ResetInSend(SendBatch& batch);
// Applies the result list of a success answer (the text after "01 "); a record with fewer
// than three fields raises the command error once the records before it are applied.
void ApplyResultList(SendListState& state, SendBatch& batch, std::u16string_view resultList);

}  // namespace orvulink::send
