// What a send list keeps: the messages in the order added, the counters, and the send groups
// with the indexes that make adding and duplicate detection cost no walk over the list.
#pragma once

#include <orvulink/send.hpp>

#include "core/list_capacity.hpp"
#include "send/phone_index.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvulink::send {

// Sender, text and send date, compared one by one: texts that only coincide once joined must
// not share a group, or one message would go out with another's text.
struct GroupKey {
  std::u16string sender;
  std::u16string text;
  std::u16string dateText;
  friend bool operator==(const GroupKey&, const GroupKey&) = default;
};
// A message's key as it stands in the message, for lookups that copy nothing.
struct GroupKeyView {
  std::u16string_view sender;
  std::u16string_view text;
  std::u16string_view dateText;
  friend bool operator==(const GroupKeyView&, const GroupKeyView&) = default;
};
inline GroupKeyView ViewOf(const GroupKey& key) noexcept {
  return {key.sender, key.text, key.dateText};
}
inline GroupKeyView ViewOf(const GroupKeyView& key) noexcept {
  return key;
}
struct GroupKeyHash {
  using is_transparent = void;
  std::size_t operator()(const GroupKeyView& key) const noexcept;
  std::size_t operator()(const GroupKey& key) const noexcept { return (*this)(ViewOf(key)); }
};
struct GroupKeyEqual {
  using is_transparent = void;
  template <class A, class B>
  bool operator()(const A& a, const B& b) const noexcept {
    return ViewOf(a) == ViewOf(b);
  }
};

struct SendGroup {
  std::vector<std::int16_t> members;  // list positions in the order added
};

struct SendListState {
  using MessagePtr = std::shared_ptr<OrvuSendMessage>;

  bool storeExists = false;
  std::vector<MessagePtr> store;
  VariantBool autoSend{false};
  std::int16_t maxListToSend = core::kLargestList;
  std::int16_t countMessageForward = 0;
  std::int16_t countMessageError = 0;
  std::int16_t countMessageToSend = 0;

  std::vector<SendGroup> groups;  // by group number
  std::int32_t nextGroup = 0;
  std::int32_t lastGroup = -1;
  std::unordered_map<GroupKey, std::int32_t, GroupKeyHash, GroupKeyEqual> groupByKey;
  PhoneIndex membersByPhone;
  // The last key found in groupByKey, viewing the index's own copy (kept until it is cleared),
  // and its group: adds in a row mostly share their text, and the comparison costs less than
  // hashing it again.
  std::optional<GroupKeyView> lastKeyFound;
  std::int32_t lastKeyGroup = -1;
  // Messages that became TOSEND since the send in progress began composing: what still waits
  // once it is applied.
  std::int16_t toSendSinceCompose = 0;
  // Grows whenever the messages are dropped (Clear, a new capacity, an automatic send), so that
  // a command in flight can tell that positions and groups now belong to other messages.
  std::uint64_t generation = 0;

  // The message at a 1-based list position, null outside the list.
  const MessagePtr* At(std::int32_t position) const;
  bool Full() const { return store.size() >= static_cast<std::size_t>(maxListToSend); }
  std::int16_t NextPosition() const { return static_cast<std::int16_t>(store.size() + 1); }
  // The group `number`, created empty when new; null for a negative number.
  SendGroup* Group(std::int32_t number);
  // Drops the messages, the groups and the counters; the store is gone until the next add.
  void Reset();
  // Drops the messages and the groups that point at them; the counters stay readable.
  void ReleaseAll();
};

GroupKey KeyOf(OrvuSendMessage& message);
GroupKeyView KeyViewOf(OrvuSendMessage& message);

// Whether a member of group `number` other than a cancelled one already goes to `phone`.
bool HasLiveRecipient(const SendListState& list, std::int32_t number, std::u16string_view phone);
// Adds a message already placed in its group (GroupIndex and ListPosition set) to the list,
// to its group's members and to the indexes.
void AppendMessage(SendListState& list, std::shared_ptr<OrvuSendMessage> message);
// The same for a message whose key the index by key already holds.
void AppendMember(SendListState& list, std::shared_ptr<OrvuSendMessage> message);

// Withdraws a message: it becomes CANCELLED, and when it was waiting, the first duplicate of
// it in its group waits in its place.
void CancelMessage(SendListState& state, OrvuSendMessage& message);

}  // namespace orvulink::send
