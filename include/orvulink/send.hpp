// Sending: the outgoing message, its order IDs, and the send list with its send command.
// The host reads these objects; the list creates them and writes every value.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/enumerator.hpp>
#include <orvulink/enums.hpp>
#include <orvulink/export.hpp>
#include <orvulink/short_text.hpp>
#include <orvulink/thread_affine.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvulink {

namespace send {
struct Access;
struct SendListState;
}  // namespace send

// The order IDs the gateway gave one accepted message, each once (compared ignoring case).
class ORVULINK_API OrvuSendOrderID : public AutomationObject, private ThreadAffine {
 public:
  ~OrvuSendOrderID() override;
  OrvuSendOrderID(const OrvuSendOrderID&) = delete;
  OrvuSendOrderID& operator=(const OrvuSendOrderID&) = delete;

  // ---- _OrvuSendOrderID, in interface order ----
  BStr Item(std::int16_t Index) const;  // default member; "" outside 1..Count
  std::int16_t Count() const;
  std::shared_ptr<Enumerator<BStr>> NewEnum() const;  // null while there is no store

  std::vector<BStr>::const_iterator begin() const {
    CheckThread();
    return ids_.begin();
  }
  std::vector<BStr>::const_iterator end() const {
    CheckThread();
    return ids_.end();
  }

 private:
  friend struct send::Access;
  OrvuSendOrderID() = default;

  bool storeExists_ = false;
  std::vector<BStr> ids_;
};

// One SMS to one recipient, as the send list validated and normalised it.
class ORVULINK_API OrvuSendMessage : public AutomationObject, private ThreadAffine {
 public:
  ~OrvuSendMessage() override;
  OrvuSendMessage(const OrvuSendMessage&) = delete;
  OrvuSendMessage& operator=(const OrvuSendMessage&) = delete;

  // ---- _OrvuSendMessage, in interface order ----
  std::shared_ptr<OrvuSendOrderID> OrderID() const;  // null until accepted
  std::int16_t NumSMS() const;
  OrvuLink_StatusMessage Status() const;
  BStr PhoneGsm() const;  // default member
  BStr Text() const;
  Date DateTime() const;  // "send now" reads the clock on each call
  BStr Sender() const;    // also resets the error state

 private:
  friend struct send::Access;
  OrvuSendMessage() = default;

  ShortText phoneGsm_;
  // Shared by the messages added with one text: a list of 3000 holds one copy, not 3000.
  std::shared_ptr<const std::u16string> text_;
  std::int16_t numSMS_ = 0;
  std::int16_t listPosition_ = 0;
  std::u16string dateText_;
  Date givenDate_;  // read back when the date failed its check
  std::shared_ptr<OrvuSendOrderID> orderID_;
  std::int16_t groupIndex_ = -1;
  OrvuLink_StatusMessage status_ = ORVULINK_MESSAGESEND_INCOMPLETE;
  std::u16string sender_;
};

// The list the host fills and sends. Messages sharing sender, text and send date form a send
// group, sent as one line with all its recipients.
class ORVULINK_API OrvuSendMessages : public AutomationObject, private ThreadAffine {
 public:
  using MessagePtr = std::shared_ptr<OrvuSendMessage>;

  ~OrvuSendMessages() override;  // runs Clear
  OrvuSendMessages(const OrvuSendMessages&) = delete;
  OrvuSendMessages& operator=(const OrvuSendMessages&) = delete;

  // ---- _OrvuSendMessages, in interface order ----
  MessagePtr Item(std::int16_t Index) const;  // default member; null outside 1..Count
  std::int16_t Count() const;
  std::shared_ptr<Enumerator<MessagePtr>> NewEnum() const;  // error 91 while there is no store
  std::int16_t CountMessageForward() const;
  std::int16_t CountMessageError() const;
  std::int16_t CountMessageToSend() const;
  VariantBool RemoveMessage(MessagePtr& Message);
  VariantBool AddGroupMessage(Collection& PhoneGsm, const BStr& MessageText, const BStr& Sender,
                              Date DateTime = Date{});
  VariantBool AddMessage(const BStr& PhoneGsm, const BStr& MessageText, const BStr& Sender,
                         Date DateTime = Date{});
  void Clear();
  VariantBool SendMessage();
  VariantBool AutoSend() const;
  void AutoSend(VariantBool bAutoSend);
  std::int16_t MaxListToSend() const;
  void MaxListToSend(std::int16_t iMaxSize);

  // ---- __OrvuSendMessages ----
  // Raised around each step of a send; the value is a fresh copy, writes to it are ignored.
  Event<OrvuLink_CodeProgress&> ProgresSend;

  std::vector<MessagePtr>::const_iterator begin() const;
  std::vector<MessagePtr>::const_iterator end() const;

 private:
  friend struct send::Access;
  OrvuSendMessages();

  std::unique_ptr<send::SendListState> state_;
};

}  // namespace orvulink
