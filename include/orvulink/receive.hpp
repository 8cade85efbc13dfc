// Reception: the user's reception keys with their automatic reply and waiting count, and the
// messages downloaded on a key. The host reads these objects; the component writes every value.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/enumerator.hpp>
#include <orvulink/export.hpp>
#include <orvulink/thread_affine.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvulink {

namespace receive {
struct Access;
class KeyList;
}  // namespace receive

// One SMS received on a key, as the gateway delivered it.
class ORVULINK_API OrvuReceivedMessage : public AutomationObject, private ThreadAffine {
 public:
  OrvuReceivedMessage(const OrvuReceivedMessage&) = delete;
  OrvuReceivedMessage& operator=(const OrvuReceivedMessage&) = delete;

  // ---- _OrvuReceivedMessage, in interface order ----
  BStr PhoneGsm() const;  // default member; the sender exactly as the gateway sent it
  Date DateTime() const;  // when the message was sent; the zero date when unreadable
  BStr Text() const;

 private:
  friend struct receive::Access;
  OrvuReceivedMessage() = default;

  std::u16string phoneGsm_;
  Date dateTime_;
  std::u16string text_;
};

// The messages of one download, in the order the gateway sent them.
class ORVULINK_API OrvuReceivedMessages : public AutomationObject, private ThreadAffine {
 public:
  using MessagePtr = std::shared_ptr<OrvuReceivedMessage>;

  OrvuReceivedMessages(const OrvuReceivedMessages&) = delete;
  OrvuReceivedMessages& operator=(const OrvuReceivedMessages&) = delete;

  // ---- _OrvuReceivedMessages, in interface order ----
  MessagePtr Item(std::int16_t Index) const;  // default member; null outside 1..Count
  std::int16_t Count() const;
  std::shared_ptr<Enumerator<MessagePtr>> NewEnum() const;

  std::vector<MessagePtr>::const_iterator begin() const {
    CheckThread();
    return messages_.begin();
  }
  std::vector<MessagePtr>::const_iterator end() const {
    CheckThread();
    return messages_.end();
  }

 private:
  friend struct receive::Access;
  OrvuReceivedMessages() = default;

  std::vector<MessagePtr> messages_;
};

// One reception key of the user: its automatic reply, the messages waiting on it, and the
// last download.
class ORVULINK_API OrvuReceptionKey : public AutomationObject, private ThreadAffine {
 public:
  OrvuReceptionKey(const OrvuReceptionKey&) = delete;
  OrvuReceptionKey& operator=(const OrvuReceptionKey&) = delete;

  // ---- _OrvuReceptionKey, in interface order ----
  std::int16_t MessageFromRecive() const;
  std::shared_ptr<OrvuReceivedMessages> ReceivedMessages() const;  // null until a download
  BStr TextAutoResponder() const;
  BStr KeyReceived() const;  // default member
  VariantBool GetIncomingMessages();
  VariantBool Update();
  VariantBool SetAutoResponder(const BStr& NewAutoResponder);

 private:
  friend struct receive::Access;
  OrvuReceptionKey() = default;

  std::u16string keyReceived_;
  std::u16string textAutoResponder_;
  std::int16_t messageFromRecive_ = 0;
  std::shared_ptr<OrvuReceivedMessages> receivedMessages_;
};

// The user's reception keys, keyed by their text without regard to letter case.
class ORVULINK_API OrvuReceptionKeys : public AutomationObject, private ThreadAffine {
 public:
  using KeyPtr = std::shared_ptr<OrvuReceptionKey>;

  ~OrvuReceptionKeys() override;
  OrvuReceptionKeys(const OrvuReceptionKeys&) = delete;
  OrvuReceptionKeys& operator=(const OrvuReceptionKeys&) = delete;

  // ---- _OrvuReceptionKeys, in interface order ----
  KeyPtr ItemReceptionKey(const BStr& ReceptionKey) const;  // null when absent
  KeyPtr Item(std::int16_t Index) const;                    // default member; null outside 1..Count
  std::int16_t Count() const;
  std::shared_ptr<Enumerator<KeyPtr>> NewEnum() const;

  std::vector<KeyPtr>::const_iterator begin() const;
  std::vector<KeyPtr>::const_iterator end() const;

 private:
  friend struct receive::Access;
  OrvuReceptionKeys();

  std::unique_ptr<receive::KeyList> keys_;
};

}  // namespace orvulink
