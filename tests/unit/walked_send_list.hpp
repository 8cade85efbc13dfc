// The add and remove rules of the send list as a plain walk over every earlier message: the
// reference the list's indexes are checked against (send_list_test) and measured against (bench).
#pragma once

#include "send/access.hpp"
#include "send/message_setters.hpp"
#include "send/send_list_state.hpp"

#include <string>
#include <vector>

namespace orvulink::testing {

struct WalkedMessage {
  std::u16string phone;
  send::GroupKey key;
  OrvuLink_StatusMessage status;
  int group = -1;
};

struct WalkedList {
  std::vector<WalkedMessage> store;
  std::vector<std::vector<int>> members = std::vector<std::vector<int>>(3001);
  int nextGroup = 0, lastGroup = -1, error = 0, toSend = 0;

  static WalkedMessage Built(const BStr& phone, const BStr& text, const BStr& sender) {
    auto m = send::BuildMessage(phone.str(), text.str(), sender.str(), Date{});
    return {std::u16string(send::Access::PhoneGsm(*m)), send::KeyOf(*m), send::Access::Status(*m)};
  }
  void Queue(WalkedMessage& m) {
    if (m.status != ORVULINK_MESSAGESEND_INCOMPLETE) return;
    m.status = ORVULINK_MESSAGESEND_TOSEND;
    ++toSend;
  }
  // A message on its own joins the first earlier one with its key; one of a group joins the
  // group. Either is a repeat of a number its group still holds.
  void Add(WalkedMessage m, bool ofLastGroup = false) {
    const int position = static_cast<int>(store.size()) + 1;
    if (ofLastGroup) m.group = lastGroup;
    for (const WalkedMessage& earlier : store)
      if (m.group == -1 && earlier.key == m.key) m.group = earlier.group;
    if (m.group == -1) m.group = nextGroup++;
    if (m.status != ORVULINK_MESSAGESEND_INCOMPLETE) ++error;
    for (int other : members[m.group]) {
      const WalkedMessage& earlier = store[other - 1];
      if (m.status == ORVULINK_MESSAGESEND_INCOMPLETE && earlier.phone == m.phone &&
          earlier.status != ORVULINK_MESSAGESEND_CANCELLED) {
        m.status = ORVULINK_MESSAGESEND_ERRDOUBLE;
        ++error;
      }
    }
    members[m.group].push_back(position);
    lastGroup = m.group;
    Queue(m);
    store.push_back(m);
  }
  void Remove(int position) {
    WalkedMessage& m = store[position - 1];
    const auto was = m.status;
    m.status = ORVULINK_MESSAGESEND_CANCELLED;
    if (was != ORVULINK_MESSAGESEND_TOSEND || members[m.group].size() < 2) return;
    for (int other : members[m.group]) {
      WalkedMessage& candidate = store[other - 1];
      if (candidate.phone == m.phone && candidate.status == ORVULINK_MESSAGESEND_ERRDOUBLE) {
        candidate.status = ORVULINK_MESSAGESEND_TOSEND;
        return;
      }
    }
  }
};

}  // namespace orvulink::testing
