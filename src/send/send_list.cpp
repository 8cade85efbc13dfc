#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "core/list_capacity.hpp"
#include "platform/runtime_error.hpp"
#include "send/access.hpp"
#include "send/send_command.hpp"
#include "send/send_list_add.hpp"
#include "send/send_list_state.hpp"

namespace orvulink {

using core::ThisThreadState;
using send::Access;

OrvuSendMessages::OrvuSendMessages() : state_(std::make_unique<send::SendListState>()) {}

OrvuSendMessages::~OrvuSendMessages() {
  core::Suppressed([&] { state_->Reset(); });
}

OrvuSendMessages::MessagePtr OrvuSendMessages::Item(std::int16_t Index) const {
  CheckThread();
  const MessagePtr* message = state_->At(Index);
  return message ? *message : nullptr;
}

std::int16_t OrvuSendMessages::Count() const {
  CheckThread();
  return static_cast<std::int16_t>(state_->store.size());
}

std::shared_ptr<Enumerator<OrvuSendMessages::MessagePtr>> OrvuSendMessages::NewEnum() const {
  CheckThread();
  if (!state_->storeExists) platform::RaiseRuntimeError(platform::kErrObjectNotSet);
  return std::make_shared<Enumerator<MessagePtr>>(state_->store);
}

std::int16_t OrvuSendMessages::CountMessageForward() const {
  CheckThread();
  return state_->countMessageForward;
}
std::int16_t OrvuSendMessages::CountMessageError() const {
  CheckThread();
  return state_->countMessageError;
}
std::int16_t OrvuSendMessages::CountMessageToSend() const {
  CheckThread();
  return state_->countMessageToSend;
}

VariantBool OrvuSendMessages::RemoveMessage(MessagePtr& Message) {
  CheckThread();
  if (!Message) return VariantBool(false);
  core::Suppressed([&] { send::CancelMessage(*state_, *Message); });
  return VariantBool(true);
}

VariantBool OrvuSendMessages::AddGroupMessage(Collection& PhoneGsm, const BStr& MessageText,
                                              const BStr& Sender, Date DateTime) {
  CheckThread();
  auto& control = ThisThreadState();
  return core::Trapped(control, [&] {
    return VariantBool(
        send::AddGroupMessages(*this, PhoneGsm, MessageText.str(), Sender.str(), DateTime));
  });
}

VariantBool OrvuSendMessages::AddMessage(const BStr& PhoneGsm, const BStr& MessageText,
                                         const BStr& Sender, Date DateTime) {
  CheckThread();
  auto& control = ThisThreadState();
  return core::Trapped(control, [&] {
    core::ResetErrorState(control);
    return VariantBool(
        send::AddOneMessage(*this, PhoneGsm.str(), MessageText.str(), Sender.str(), DateTime));
  });
}

void OrvuSendMessages::Clear() {
  CheckThread();
  auto& control = ThisThreadState();
  core::Trapped(control, [&] {
    core::ResetErrorState(control);
    state_->Reset();
  });
}

VariantBool OrvuSendMessages::SendMessage() {
  CheckThread();
  auto& control = ThisThreadState();
  return core::Trapped(control, [&] { return VariantBool(send::SendList(*this)); });
}

VariantBool OrvuSendMessages::AutoSend() const {
  CheckThread();
  return state_->autoSend;
}
void OrvuSendMessages::AutoSend(VariantBool bAutoSend) {
  CheckThread();
  state_->autoSend = bAutoSend;
}

std::int16_t OrvuSendMessages::MaxListToSend() const {
  CheckThread();
  return state_->maxListToSend;
}
void OrvuSendMessages::MaxListToSend(std::int16_t iMaxSize) {
  CheckThread();
  auto& control = ThisThreadState();
  core::Trapped(control, [&] {
    core::ResetErrorState(control);
    core::RequireListCapacity(control, iMaxSize);
    state_->Reset();
    state_->maxListToSend = iMaxSize;
  });
}

std::vector<OrvuSendMessages::MessagePtr>::const_iterator OrvuSendMessages::begin() const {
  CheckThread();
  return state_->store.begin();
}
std::vector<OrvuSendMessages::MessagePtr>::const_iterator OrvuSendMessages::end() const {
  CheckThread();
  return state_->store.end();
}

std::shared_ptr<OrvuSendMessages> send::Access::NewList() {
  return std::shared_ptr<OrvuSendMessages>(new OrvuSendMessages());
}

void send::ReleaseSendList(core::ControlState& state) {
  if (!state.MessagesToSend) return;
  Access::State(*state.MessagesToSend).ReleaseAll();
  state.MessagesToSend.reset();
}

}  // namespace orvulink
