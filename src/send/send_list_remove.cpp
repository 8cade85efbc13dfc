#include "send/access.hpp"
#include "send/send_list_state.hpp"

namespace orvulink::send {

void CancelMessage(SendListState& state, OrvuSendMessage& message) {
  const OrvuLink_StatusMessage was = Access::Status(message);
  Access::Status(message) = ORVULINK_MESSAGESEND_CANCELLED;
  if (was != ORVULINK_MESSAGESEND_TOSEND) return;
  const std::int32_t number = Access::GroupIndex(message);
  if (number < 0 || static_cast<std::size_t>(number) >= state.groups.size()) return;
  const SendGroup& group = state.groups[static_cast<std::size_t>(number)];
  if (group.members.size() < 2) return;
  const auto found = group.positionsByPhone.find(Access::PhoneGsm(message));
  if (found == group.positionsByPhone.end()) return;
  // The first duplicate of the withdrawn message takes its place.
  for (std::int16_t position : found->second) {
    const auto* member = state.At(position);
    if (member && Access::Status(**member) == ORVULINK_MESSAGESEND_ERRDOUBLE) {
      Access::Status(**member) = ORVULINK_MESSAGESEND_TOSEND;
      return;
    }
  }
}

}  // namespace orvulink::send
