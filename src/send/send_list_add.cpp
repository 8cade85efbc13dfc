#include "send/send_list_add.hpp"

#include "control/control_state.hpp"
#include "control/error_exit.hpp"
#include "send/access.hpp"
#include "send/message_setters.hpp"
#include "send/send_command.hpp"
#include "send/send_list_state.hpp"

namespace orvulink::send {
namespace {

bool FailedCheck(OrvuLink_StatusMessage status) {
  return status == ORVULINK_MESSAGESEND_ERRDATETIME || status == ORVULINK_MESSAGESEND_ERRPHONEGSM ||
         status == ORVULINK_MESSAGESEND_ERRSENDER;
}

// A full list is sent and emptied first when AutoSend is on; returns whether adding may go on.
bool MakeRoom(OrvuSendMessages& list) {
  SendListState& state = Access::State(list);
  if (!state.Full()) return true;
  if (!state.autoSend.IsOn()) {
    control::RaiseNumbered(control::ThisThreadState(), ORVULINK_ERROR_MAXQUEUE);
  }
  if (!SendList(list)) return false;
  state.Reset();
  state.storeExists = true;
  return true;
}

void MarkDuplicateIfSent(SendListState& state, const SendGroup& group, OrvuSendMessage& message) {
  if (!HasLiveRecipient(state, group, Access::PhoneGsm(message))) return;
  Access::Status(message) = ORVULINK_MESSAGESEND_ERRDOUBLE;
  ++state.countMessageError;
}

void QueueIfComplete(SendListState& state, OrvuSendMessage& message) {
  if (Access::Status(message) != ORVULINK_MESSAGESEND_INCOMPLETE) return;
  Access::Status(message) = ORVULINK_MESSAGESEND_TOSEND;
  ++state.countMessageToSend;
}

// The message joins the group of the first earlier message with its key, or opens one.
void PlaceInGroup(SendListState& state, OrvuSendMessage& message) {
  const auto found = state.groupByKey.find(KeyOf(message));
  if (found == state.groupByKey.end()) {
    Access::GroupIndex(message) = static_cast<std::int16_t>(state.nextGroup++);
    return;
  }
  Access::GroupIndex(message) = static_cast<std::int16_t>(found->second);
  if (Access::Status(message) == ORVULINK_MESSAGESEND_INCOMPLETE) {
    MarkDuplicateIfSent(state, *state.Group(found->second), message);
  }
}

void AddToLastGroup(SendListState& state, const Collection& phones, std::int32_t index,
                    std::u16string_view text, std::u16string_view sender, Date sendDate) {
  if (state.lastGroup == -1) {  // an automatic send emptied the list
    state.lastGroup = 0;
    ++state.nextGroup;
  }
  auto message = BuildMessage(phones.Item(index).ToText().str(), text, sender, sendDate);
  Access::GroupIndex(*message) = static_cast<std::int16_t>(state.lastGroup);
  Access::ListPosition(*message) = state.NextPosition();
  if (Access::Status(*message) != ORVULINK_MESSAGESEND_INCOMPLETE) {
    ++state.countMessageError;
  } else {
    MarkDuplicateIfSent(state, *state.Group(state.lastGroup), *message);
  }
  QueueIfComplete(state, *message);
  AppendMessage(state, std::move(message));
}

}  // namespace

bool AddOneMessage(OrvuSendMessages& list, std::u16string_view phone, std::u16string_view text,
                   std::u16string_view sender, Date sendDate) {
  SendListState& state = Access::State(list);
  state.storeExists = true;
  if (!MakeRoom(list)) return false;
  auto message = BuildMessage(phone, text, sender, sendDate);
  Access::ListPosition(*message) = state.NextPosition();
  if (FailedCheck(Access::Status(*message))) ++state.countMessageError;
  PlaceInGroup(state, *message);
  state.lastGroup = Access::GroupIndex(*message);
  QueueIfComplete(state, *message);
  AppendMessage(state, std::move(message));
  return true;
}

bool AddGroupMessages(OrvuSendMessages& list, const Collection& phones, std::u16string_view text,
                      std::u16string_view sender, Date sendDate) {
  SendListState& state = Access::State(list);
  state.storeExists = true;
  const std::u16string first = phones.Item(1).ToText().str();
  if (!AddOneMessage(list, first, text, sender, sendDate)) return false;
  for (std::int32_t index = 2; index <= phones.Count(); ++index) {
    if (!MakeRoom(list)) return false;
    AddToLastGroup(state, phones, index, text, sender, sendDate);
  }
  return true;
}

}  // namespace orvulink::send
