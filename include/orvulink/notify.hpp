// Delivery status: the list of order IDs to query, each with the recipients it follows, and
// the status query that fills them in place.
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

namespace notify {
struct Access;
class RecipientList;
struct NotifyListState;
}  // namespace notify

// One recipient of an order ID: its delivery status, the reason and the time of the status.
class ORVULINK_API OrvuNotifiedMessage : public AutomationObject, private ThreadAffine {
 public:
  ~OrvuNotifiedMessage() override;
  OrvuNotifiedMessage(const OrvuNotifiedMessage&) = delete;
  OrvuNotifiedMessage& operator=(const OrvuNotifiedMessage&) = delete;

  // ---- _OrvuNotifiedMessage, in interface order ----
  BStr PhoneGsm() const;  // default member
  Date DateTime() const;
  OrvuLink_CodeReason ReasonCode() const;
  OrvuLink_StateNotify Status() const;

 private:
  friend struct notify::Access;
  OrvuNotifiedMessage() = default;

  ShortText phoneGsm_;
  Date dateTime_;
  OrvuLink_CodeReason reasonCode_ = ORVULINK_CODEREASON_INDEFINITE;
  OrvuLink_StateNotify status_ = ORVULINK_STATE_TONOTIFY;
};

// One order ID of the query, with the recipients it names or the gateway reported.
class ORVULINK_API OrvuNotifiedOrderID : public AutomationObject, private ThreadAffine {
 public:
  using MessagePtr = std::shared_ptr<OrvuNotifiedMessage>;

  ~OrvuNotifiedOrderID() override;  // releases its recipients
  OrvuNotifiedOrderID(const OrvuNotifiedOrderID&) = delete;
  OrvuNotifiedOrderID& operator=(const OrvuNotifiedOrderID&) = delete;

  // ---- _OrvuNotifiedOrderID, in interface order ----
  MessagePtr ItemPhone(const BStr& Phone) const;  // null for a number not listed
  MessagePtr Item(std::int16_t Index) const;      // default member; null outside 1..Count
  std::int16_t Count() const;
  std::shared_ptr<Enumerator<MessagePtr>> NewEnum() const;  // null while there is no store
  BStr OrderID() const;
  OrvuLink_StateOrederID Status() const;

  std::vector<MessagePtr>::const_iterator begin() const;
  std::vector<MessagePtr>::const_iterator end() const;

 private:
  friend struct notify::Access;
  OrvuNotifiedOrderID();

  std::u16string orderID_;
  OrvuLink_StateOrederID status_ = ORVULINK_ORDERID_TOVERIFY;
  bool phoneSelected_ = false;
  std::unique_ptr<notify::RecipientList> recipients_;
};

// The order IDs whose delivery status the host wants, queried in one command.
class ORVULINK_API OrvuNotifiedMessages : public AutomationObject, private ThreadAffine {
 public:
  using OrderIDPtr = std::shared_ptr<OrvuNotifiedOrderID>;

  ~OrvuNotifiedMessages() override;
  OrvuNotifiedMessages(const OrvuNotifiedMessages&) = delete;
  OrvuNotifiedMessages& operator=(const OrvuNotifiedMessages&) = delete;

  // ---- _OrvuNotifiedMessages, in interface order ----
  OrderIDPtr ItemOrderID(const BStr& OrderID) const;  // null for an order ID not listed
  OrderIDPtr Item(std::int16_t Index) const;          // default member; null outside 1..Count
  std::int16_t Count() const;
  std::shared_ptr<Enumerator<OrderIDPtr>> NewEnum() const;  // error 91 while there is no store
  void Clear();
  VariantBool AutoNotify() const;
  void AutoNotify(VariantBool bAutoNotify);
  std::int16_t MaxListToNotify() const;
  void MaxListToNotify(std::int16_t iMaxSize);
  VariantBool AddMessage(const BStr& OrderID, const BStr& PhoneGsm = {});
  VariantBool GetStatusNotify();
  VariantBool RemoveMessage(const BStr& OrderID, const BStr& PhoneGsm = {});

  // ---- __OrvuNotifiedMessages ----
  // Raised around each step of a query; the value is a fresh copy, writes to it are ignored.
  Event<OrvuLink_CodeProgress&> ProgresNotify;

  std::vector<OrderIDPtr>::const_iterator begin() const;
  std::vector<OrderIDPtr>::const_iterator end() const;

 private:
  friend struct notify::Access;
  OrvuNotifiedMessages();

  std::unique_ptr<notify::NotifyListState> state_;
};

}  // namespace orvulink
