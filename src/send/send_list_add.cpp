#include "send/send_list_add.hpp"

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
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

void MarkDuplicateIfSent(SendListState& state, std::int32_t group, OrvuSendMessage& message) {
  if (!HasLiveRecipient(state, group, Access::PhoneGsm(message))) return;
  Access::Status(message) = ORVULINK_MESSAGESEND_ERRDOUBLE;
  ++state.countMessageError;
}

void QueueIfComplete(SendListState& state, OrvuSendMessage& message) {
  if (Access::Status(message) != ORVULINK_MESSAGESEND_INCOMPLETE) return;
  Access::Status(message) = ORVULINK_MESSAGESEND_TOSEND;
  ++state.countMessageToSend;
  ++state.toSendSinceCompose;
}

// The message joins the group of the first earlier message with its key, or opens one.
// The group of the first message with this key, -1 when none has it.
std::int32_t GroupOfKey(SendListState& state, const GroupKeyView& key) {
  if (state.lastKeyFound == key) return state.lastKeyGroup;
  const auto found = state.groupByKey.find(key);
  if (found == state.groupByKey.end()) return -1;
  state.lastKeyFound = ViewOf(found->first);
  state.lastKeyGroup = found->second;
  return found->second;
}

void PlaceInGroup(SendListState& state, OrvuSendMessage& message) {
  const std::int32_t group = GroupOfKey(state, KeyViewOf(message));
  if (group < 0) {
    Access::GroupIndex(message) = static_cast<std::int16_t>(state.nextGroup++);
    state.groupByKey.emplace(KeyOf(message), Access::GroupIndex(message));
    return;
  }
  Access::GroupIndex(message) = static_cast<std::int16_t>(group);
  if (Access::Status(message) == ORVULINK_MESSAGESEND_INCOMPLETE) {
    MarkDuplicateIfSent(state, group, message);
  }
}

// The message at the end of the list, in the group its key gives.
void Enlist(SendListState& state, std::shared_ptr<OrvuSendMessage> message) {
  Access::ListPosition(*message) = state.NextPosition();
  PlaceInGroup(state, *message);
  state.lastGroup = Access::GroupIndex(*message);
  QueueIfComplete(state, *message);
  AppendMember(state, std::move(message));  // PlaceInGroup indexed its key
}

// The messages still waiting once a send is done: those the host added while it was in flight.
std::vector<SendListState::MessagePtr> StillWaiting(const SendListState& state) {
  std::vector<SendListState::MessagePtr> waiting;
  for (const auto& message : state.store) {
    if (Access::Status(*message) == ORVULINK_MESSAGESEND_TOSEND) waiting.push_back(message);
  }
  return waiting;
}

// A full list is sent and emptied first when AutoSend is on; returns whether adding may go on.
// What the host added while that send was in flight was not in it, so it is listed again
// rather than dropped with the rest.
bool MakeRoom(OrvuSendMessages& list) {
  SendListState& state = Access::State(list);
  while (state.Full()) {
    if (!state.autoSend.IsOn()) {
      core::RaiseNumbered(core::ThisThreadState(), ORVULINK_ERROR_MAXQUEUE);
    }
    if (!SendList(list)) return false;
    std::vector<SendListState::MessagePtr> waiting = StillWaiting(state);
    state.Reset();
    state.storeExists = true;
    for (auto& message : waiting) {
      Access::Status(*message) = ORVULINK_MESSAGESEND_INCOMPLETE;
      Enlist(state, std::move(message));
    }
    state.lastGroup = -1;
  }
  return true;
}

// A further recipient of a group add joins the group of the first one; once an automatic send
// has emptied the list, the rest of them open a group of their own.
void AddToGroup(SendListState& state, std::int32_t& group, const Collection& phones,
                std::int32_t index, std::u16string_view text, std::u16string_view sender,
                Date sendDate) {
  if (group == -1) group = state.nextGroup++;
  state.lastGroup = group;
  auto message = BuildMessage(phones.Item(index).ToText().str(), text, sender, sendDate);
  Access::GroupIndex(*message) = static_cast<std::int16_t>(group);
  Access::ListPosition(*message) = state.NextPosition();
  if (Access::Status(*message) != ORVULINK_MESSAGESEND_INCOMPLETE) {
    ++state.countMessageError;
  } else {
    MarkDuplicateIfSent(state, group, *message);
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
  if (FailedCheck(Access::Status(*message))) ++state.countMessageError;
  Enlist(state, std::move(message));
  return true;
}

bool AddGroupMessages(OrvuSendMessages& list, const Collection& phones, std::u16string_view text,
                      std::u16string_view sender, Date sendDate) {
  SendListState& state = Access::State(list);
  state.storeExists = true;
  const std::u16string first = phones.Item(1).ToText().str();
  if (!AddOneMessage(list, first, text, sender, sendDate)) return false;
  std::int32_t group = state.lastGroup;
  std::uint64_t generation = state.generation;
  for (std::int32_t index = 2; index <= phones.Count(); ++index) {
    if (!MakeRoom(list)) return false;
    if (state.generation != generation) {
      group = -1;
      generation = state.generation;
    }
    AddToGroup(state, group, phones, index, text, sender, sendDate);
  }
  return true;
}

}  // namespace orvulink::send
