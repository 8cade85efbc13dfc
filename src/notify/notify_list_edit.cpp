#include "notify/notify_list_edit.hpp"

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/phone.hpp"
#include "notify/access.hpp"
#include "notify/status_query.hpp"
#include "platform/runtime_error.hpp"

namespace orvulink::notify {
namespace {

std::u16string Stripped(std::u16string_view text) {
  std::u16string stripped(text);
  gateway::StripSeparators(stripped);
  return stripped;
}

void AddRecipient(RecipientList& recipients, std::u16string_view phone) {
  auto recipient = Access::NewRecipient();
  Access::SetPhoneGsm(*recipient, phone);
  const std::u16string_view key = Access::PhoneGsm(*recipient);  // the entry outlives the call
  if (!recipients.Add(key, std::move(recipient))) {
    platform::RaiseRuntimeError(platform::kErrDuplicateKey);
  }
}

// Returns whether adding may go on.
bool MakeRoom(OrvuNotifiedMessages& list) {
  NotifyListState& state = Access::State(list);
  if (state.orderIds.Count() < static_cast<std::size_t>(state.maxListToNotify)) return true;
  if (!state.autoNotify.IsOn()) {
    core::RaiseNumbered(core::ThisThreadState(), ORVULINK_ERROR_MAXQUEUE);
  }
  if (!QueryStatus(list)) return false;
  // Order IDs the host added while the query was in flight were not asked about: they stay.
  std::vector<std::shared_ptr<OrvuNotifiedOrderID>> waiting;
  for (const auto& entry : state.orderIds.Entries()) {
    if (Access::Status(*entry) == ORVULINK_ORDERID_TOVERIFY) waiting.push_back(entry);
  }
  state.orderIds.Release();
  state.orderIds.Create();
  for (auto& entry : waiting) {
    const std::u16string key = Access::OrderID(*entry);
    state.orderIds.Add(key, std::move(entry));
  }
  return true;
}

bool AddToExisting(OrvuNotifiedOrderID& entry, std::u16string_view phone) {
  RecipientList& recipients = Access::Recipients(entry);
  if (recipients.Count() == 0) return false;  // it already follows every recipient
  if (phone.empty()) {
    recipients.Release();
    return true;
  }
  if (recipients.Find(gateway::PhoneGsmForm(phone))) return false;
  AddRecipient(recipients, phone);
  return true;
}

}  // namespace

bool AddOrderID(OrvuNotifiedMessages& list, std::u16string_view orderId,
                std::u16string_view phone) {
  NotifyListState& state = Access::State(list);
  state.orderIds.Create();
  if (!MakeRoom(list)) return false;
  const std::u16string key = Stripped(orderId);
  if (auto existing = state.orderIds.Find(key)) return AddToExisting(*existing, phone);
  auto created = Access::NewOrderID(key);
  if (!phone.empty()) {
    Access::PhoneSelected(*created) = true;
    AddRecipient(Access::Recipients(*created), phone);
  }
  state.orderIds.Add(key, std::move(created));
  return true;
}

bool RemoveOrderID(OrvuNotifiedMessages& list, std::u16string_view orderId,
                   std::u16string_view phone) {
  NotifyListState& state = Access::State(list);
  if (!state.orderIds.Exists()) return false;
  const std::u16string key = Stripped(orderId);
  const auto entry = state.orderIds.Find(key);
  if (!entry) return false;
  RecipientList& recipients = Access::Recipients(*entry);
  if (phone.empty()) {
    recipients.Release();
    state.orderIds.Remove(key);
    if (state.orderIds.Count() == 0) state.orderIds.Release();
    return true;
  }
  if (!recipients.Remove(gateway::PhoneGsmForm(phone))) return false;
  if (recipients.Count() == 0) recipients.Release();
  return true;
}

}  // namespace orvulink::notify
