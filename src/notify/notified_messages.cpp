#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "core/list_capacity.hpp"
#include "notify/access.hpp"
#include "notify/notify_list_edit.hpp"
#include "notify/status_query.hpp"
#include "platform/runtime_error.hpp"

namespace orvulink {

using core::ThisThreadState;

OrvuNotifiedMessages::OrvuNotifiedMessages()
    : state_(std::make_unique<notify::NotifyListState>()) {}

OrvuNotifiedMessages::~OrvuNotifiedMessages() = default;

OrvuNotifiedMessages::OrderIDPtr OrvuNotifiedMessages::ItemOrderID(const BStr& OrderID) const {
  CheckThread();
  return state_->orderIds.Find(OrderID.str());
}
OrvuNotifiedMessages::OrderIDPtr OrvuNotifiedMessages::Item(std::int16_t Index) const {
  CheckThread();
  return state_->orderIds.At(Index);
}
std::int16_t OrvuNotifiedMessages::Count() const {
  CheckThread();
  return static_cast<std::int16_t>(state_->orderIds.Count());
}
std::shared_ptr<Enumerator<OrvuNotifiedMessages::OrderIDPtr>> OrvuNotifiedMessages::NewEnum()
    const {
  CheckThread();
  if (!state_->orderIds.Exists()) platform::RaiseRuntimeError(platform::kErrObjectNotSet);
  return std::make_shared<Enumerator<OrderIDPtr>>(state_->orderIds.Entries());
}

void OrvuNotifiedMessages::Clear() {
  CheckThread();
  auto& control = ThisThreadState();
  core::Trapped(control, [&] {
    core::ResetErrorState(control);
    state_->orderIds.Release();
  });
}

VariantBool OrvuNotifiedMessages::AutoNotify() const {
  CheckThread();
  return state_->autoNotify;
}
void OrvuNotifiedMessages::AutoNotify(VariantBool bAutoNotify) {
  CheckThread();
  state_->autoNotify = bAutoNotify;
}

std::int16_t OrvuNotifiedMessages::MaxListToNotify() const {
  CheckThread();
  return state_->maxListToNotify;
}
void OrvuNotifiedMessages::MaxListToNotify(std::int16_t iMaxSize) {
  CheckThread();
  auto& control = ThisThreadState();
  core::Trapped(control, [&] {
    core::ResetErrorState(control);
    core::RequireListCapacity(control, iMaxSize);
    state_->orderIds.Release();
    state_->maxListToNotify = iMaxSize;
  });
}

VariantBool OrvuNotifiedMessages::AddMessage(const BStr& OrderID, const BStr& PhoneGsm) {
  CheckThread();
  auto& control = ThisThreadState();
  return core::Trapped(control, [&] {
    core::ResetErrorState(control);
    return VariantBool(notify::AddOrderID(*this, OrderID.str(), PhoneGsm.str()));
  });
}

VariantBool OrvuNotifiedMessages::GetStatusNotify() {
  CheckThread();
  auto& control = ThisThreadState();
  return core::Trapped(control, [&] { return VariantBool(notify::QueryStatus(*this)); });
}

VariantBool OrvuNotifiedMessages::RemoveMessage(const BStr& OrderID, const BStr& PhoneGsm) {
  CheckThread();
  bool removed = false;
  core::Suppressed([&] { removed = notify::RemoveOrderID(*this, OrderID.str(), PhoneGsm.str()); });
  return VariantBool(removed);
}

std::vector<OrvuNotifiedMessages::OrderIDPtr>::const_iterator OrvuNotifiedMessages::begin() const {
  CheckThread();
  return state_->orderIds.Entries().begin();
}
std::vector<OrvuNotifiedMessages::OrderIDPtr>::const_iterator OrvuNotifiedMessages::end() const {
  CheckThread();
  return state_->orderIds.Entries().end();
}

std::shared_ptr<OrvuNotifiedMessages> notify::Access::NewList() {
  return std::shared_ptr<OrvuNotifiedMessages>(new OrvuNotifiedMessages());
}

void notify::ReleaseNotifyList(core::ControlState& state) {
  if (!state.MessagesToNotify) return;
  Access::State(*state.MessagesToNotify).orderIds.Release();
  state.MessagesToNotify.reset();
}

}  // namespace orvulink
