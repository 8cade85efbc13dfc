// The component's internal operations on the reception objects: creating them and writing
// their values. Hosts cannot reach these; only the component's own code includes this header.
#pragma once

#include <orvulink/receive.hpp>

#include "platform/keyed_list.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace orvulink::receive {

// The keys of an OrvuReceptionKeys, by their text without regard to letter case.
class KeyList : public platform::KeyedList<std::shared_ptr<OrvuReceptionKey>> {};

struct Access {
  // ---- received message (received_message.cpp) ----
  static std::shared_ptr<OrvuReceivedMessage> NewMessage();
  static void SetPhoneGsm(OrvuReceivedMessage& message, std::u16string phoneGsm);
  static void SetDateTime(OrvuReceivedMessage& message, Date dateTime);
  static void SetText(OrvuReceivedMessage& message, std::u16string text);

  // ---- received messages (received_messages.cpp) ----
  static std::shared_ptr<OrvuReceivedMessages> NewMessageList();
  static void Append(OrvuReceivedMessages& list, std::shared_ptr<OrvuReceivedMessage> message);
  // Removes the first message until none is left; a host holding the list sees it empty.
  static void Release(OrvuReceivedMessages& list);

  // ---- reception key (reception_key.cpp) ----
  static std::shared_ptr<OrvuReceptionKey> NewKey();
  static const std::u16string& KeyText(const OrvuReceptionKey& key);
  // A key that already had a text loses it and its received messages first.
  static void SetKeyReceived(OrvuReceptionKey& key, std::u16string keyReceived);
  static void SetTextAutoResponder(OrvuReceptionKey& key, std::u16string text);
  static void SetMessageFromRecive(OrvuReceptionKey& key, std::int16_t count);
  // Empties the key's received messages, if any, and leaves it with none.
  static void DropReceivedMessages(OrvuReceptionKey& key);
  // Drops the current received messages and gives the key `list` instead.
  static void ReplaceReceivedMessages(OrvuReceptionKey& key,
                                      std::shared_ptr<OrvuReceivedMessages> list);

  // ---- reception keys (reception_keys.cpp) ----
  static std::shared_ptr<OrvuReceptionKeys> NewKeyList();
  // A key whose text is already present is not added, without error.
  static void AddKey(OrvuReceptionKeys& list, std::shared_ptr<OrvuReceptionKey> key);
  // Removes the first key until none is left.
  static void Release(OrvuReceptionKeys& list);
};

}  // namespace orvulink::receive
