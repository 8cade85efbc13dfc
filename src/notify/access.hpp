// The component's own way into the status-query objects: creation, the internal setters and
// the stores the host cannot see.
#pragma once

#include <orvulink/notify.hpp>

#include "core/list_capacity.hpp"
#include "platform/keyed_list.hpp"

#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace orvulink::notify {

// A recipient is listed under its number, which the list reads from it rather than copying.
struct RecipientPhone {
  std::u16string_view operator()(const OrvuNotifiedMessage& recipient) const noexcept;
};

class RecipientList
    : public platform::KeyedList<std::shared_ptr<OrvuNotifiedMessage>, RecipientPhone> {};

using OrderIdList = platform::KeyedList<std::shared_ptr<OrvuNotifiedOrderID>>;

struct NotifyListState {
  OrderIdList orderIds;
  VariantBool autoNotify{false};
  std::int16_t maxListToNotify = core::kLargestList;
};

struct Access {
  // For platform::MakeShared: the constructors are Access's alone.
  template <class T>
  static void Construct(T* at) {
    ::new (static_cast<void*>(at)) T();
  }

  static std::shared_ptr<OrvuNotifiedMessage> NewRecipient();
  static std::shared_ptr<OrvuNotifiedOrderID> NewOrderID(std::u16string orderId);
  static std::shared_ptr<OrvuNotifiedMessages> NewList();

  // Stripped of separators and put in international form; the verdict is not used.
  static void SetPhoneGsm(OrvuNotifiedMessage& recipient, std::u16string_view phone);
  static Date& DateTime(OrvuNotifiedMessage& r) { return r.dateTime_; }
  static OrvuLink_CodeReason& ReasonCode(OrvuNotifiedMessage& r) { return r.reasonCode_; }
  static OrvuLink_StateNotify& Status(OrvuNotifiedMessage& r) { return r.status_; }
  static std::u16string_view PhoneGsm(const OrvuNotifiedMessage& r) { return r.phoneGsm_.view(); }

  static const std::u16string& OrderID(const OrvuNotifiedOrderID& o) { return o.orderID_; }
  static OrvuLink_StateOrederID& Status(OrvuNotifiedOrderID& o) { return o.status_; }
  static bool& PhoneSelected(OrvuNotifiedOrderID& o) { return o.phoneSelected_; }
  static RecipientList& Recipients(OrvuNotifiedOrderID& o) { return *o.recipients_; }

  static NotifyListState& State(OrvuNotifiedMessages& list) { return *list.state_; }
};

inline std::u16string_view RecipientPhone::operator()(
    const OrvuNotifiedMessage& recipient) const noexcept {
  return Access::PhoneGsm(recipient);
}

// The control end's share: the thread's status-query list emptied and dropped.
void ReleaseNotifyList(core::ControlState& state);

}  // namespace orvulink::notify
