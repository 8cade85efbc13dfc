// The component's own way into the send objects: creation and the members the host cannot see.
#pragma once

#include <orvulink/send.hpp>

#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::core {
struct ControlState;
}  // namespace orvulink::core

namespace orvulink::send {

struct SendListState;

// The order IDs of a field joined by ",", each kept once (ignoring case) in the order given.
std::vector<BStr> DistinctOrderIDs(std::u16string_view field);

// The control end's share: the thread's send list emptied and dropped.
void ReleaseSendList(core::ControlState& state);

struct Access {
  // For platform::MakeShared: the constructors are Access's alone.
  template <class T>
  static void Construct(T* at) {
    ::new (static_cast<void*>(at)) T();
  }

  static std::shared_ptr<OrvuSendOrderID> NewOrderIDs();
  static std::shared_ptr<OrvuSendMessage> NewMessage();
  static std::shared_ptr<OrvuSendMessages> NewList();

  // Fills the list with order IDs already made distinct; none leaves it without a store.
  static void SetOrderIDs(OrvuSendOrderID& ids, std::vector<BStr> distinct);
  // Empties the list and drops its store.
  static void ReleaseAll(OrvuSendOrderID& ids);

  static OrvuSendMessage& Editable(const OrvuSendMessage& message) {
    return const_cast<OrvuSendMessage&>(message);
  }
  static std::u16string_view PhoneGsm(const OrvuSendMessage& m) { return m.phoneGsm_.view(); }
  static void SetPhoneGsm(OrvuSendMessage& m, std::u16string_view phone) {
    m.phoneGsm_.assign(phone);
  }
  static std::u16string_view Text(const OrvuSendMessage& m) {
    return m.text_ ? std::u16string_view(*m.text_) : std::u16string_view();
  }
  static void ShareText(OrvuSendMessage& m, std::shared_ptr<const std::u16string> text) {
    m.text_ = std::move(text);
  }
  static std::u16string& Sender(OrvuSendMessage& m) { return m.sender_; }
  static std::u16string& DateText(OrvuSendMessage& m) { return m.dateText_; }
  static Date& GivenDate(OrvuSendMessage& m) { return m.givenDate_; }
  static std::int16_t& NumSMS(OrvuSendMessage& m) { return m.numSMS_; }
  static std::int16_t& ListPosition(OrvuSendMessage& m) { return m.listPosition_; }
  static std::int16_t& GroupIndex(OrvuSendMessage& m) { return m.groupIndex_; }
  static OrvuLink_StatusMessage& Status(OrvuSendMessage& m) { return m.status_; }
  static std::shared_ptr<OrvuSendOrderID>& OrderID(OrvuSendMessage& m) { return m.orderID_; }

  static SendListState& State(OrvuSendMessages& list) { return *list.state_; }
  static const SendListState& State(const OrvuSendMessages& list) { return *list.state_; }
};

}  // namespace orvulink::send
