#include "send/send_list_state.hpp"

#include "send/access.hpp"

#include <functional>

namespace orvulink::send {

std::size_t GroupKeyHash::operator()(const GroupKeyView& key) const noexcept {
  const std::hash<std::u16string_view> hash;
  std::size_t seed = hash(key.sender);
  for (const std::u16string_view part : {key.text, key.dateText}) {
    seed ^= hash(part) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
  }
  return seed;
}

const SendListState::MessagePtr* SendListState::At(std::int32_t position) const {
  if (position < 1 || static_cast<std::size_t>(position) > store.size()) return nullptr;
  return &store[static_cast<std::size_t>(position - 1)];
}

SendGroup* SendListState::Group(std::int32_t number) {
  if (number < 0) return nullptr;
  if (static_cast<std::size_t>(number) >= groups.size()) groups.resize(number + 1);
  return &groups[static_cast<std::size_t>(number)];
}

void SendListState::ReleaseAll() {
  store.clear();
  storeExists = false;
  groups.clear();
  groupByKey.clear();
  lastKeyFound.reset();
  membersByPhone.Clear();
  ++generation;
}

void SendListState::Reset() {
  ReleaseAll();
  nextGroup = 0;
  lastGroup = -1;
  countMessageForward = 0;
  countMessageError = 0;
  countMessageToSend = 0;
  toSendSinceCompose = 0;
}

GroupKey KeyOf(OrvuSendMessage& message) {
  return {Access::Sender(message), std::u16string(Access::Text(message)),
          Access::DateText(message)};
}
GroupKeyView KeyViewOf(OrvuSendMessage& message) {
  return {Access::Sender(message), Access::Text(message), Access::DateText(message)};
}

bool HasLiveRecipient(const SendListState& list, std::int32_t number, std::u16string_view phone) {
  for (std::int16_t at = list.membersByPhone.First(number, phone); at != 0;
       at = list.membersByPhone.Next(at)) {
    const auto* member = list.At(at);
    if (member && Access::Status(**member) != ORVULINK_MESSAGESEND_CANCELLED) return true;
  }
  return false;
}

void AppendMessage(SendListState& list, std::shared_ptr<OrvuSendMessage> message) {
  OrvuSendMessage& added = *message;
  // The first message with a key decides the key's group, as a walk over the list would.
  // Copied only when new: most adds repeat a key already there.
  if (list.groupByKey.find(KeyViewOf(added)) == list.groupByKey.end())
    list.groupByKey.emplace(KeyOf(added), Access::GroupIndex(added));
  AppendMember(list, std::move(message));
}

void AppendMember(SendListState& list, std::shared_ptr<OrvuSendMessage> message) {
  OrvuSendMessage& added = *message;
  const std::int32_t number = Access::GroupIndex(added);
  list.store.push_back(std::move(message));
  if (SendGroup* group = list.Group(number)) {
    group->members.push_back(Access::ListPosition(added));
    list.membersByPhone.Add(number, Access::PhoneGsm(added), Access::ListPosition(added));
  }
}

void CancelMessage(SendListState& state, OrvuSendMessage& message) {
  const OrvuLink_StatusMessage was = Access::Status(message);
  Access::Status(message) = ORVULINK_MESSAGESEND_CANCELLED;
  if (was != ORVULINK_MESSAGESEND_TOSEND) return;
  const std::int32_t number = Access::GroupIndex(message);
  if (number < 0 || static_cast<std::size_t>(number) >= state.groups.size()) return;
  if (state.groups[static_cast<std::size_t>(number)].members.size() < 2) return;
  // The first duplicate of the withdrawn message takes its place.
  for (std::int16_t at = state.membersByPhone.First(number, Access::PhoneGsm(message)); at != 0;
       at = state.membersByPhone.Next(at)) {
    const auto* member = state.At(at);
    if (member && Access::Status(**member) == ORVULINK_MESSAGESEND_ERRDOUBLE) {
      Access::Status(**member) = ORVULINK_MESSAGESEND_TOSEND;
      return;
    }
  }
}

}  // namespace orvulink::send
