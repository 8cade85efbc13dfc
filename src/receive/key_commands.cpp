// The reception key's gateway commands: the command strings in their wire order, the two reads
// behind Update, and the key's trapped members that talk about its automatic reply and count.
#include "receive/key_commands.hpp"

#include <orvulink/receive.hpp>

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/command_exchange.hpp"
#include "platform/conversions.hpp"
#include "receive/access.hpp"

namespace orvulink::receive {
namespace {

constexpr std::u16string_view kTestField = u"&TEST=1";

}  // namespace

gateway::CommandString AutoResponderQuery(const core::ControlState& state,
                                          std::u16string_view key) {
  auto command = gateway::CommandString(gateway::GatewayCommand::kAutoResponderQuery, state);
  command.Field(u"KEY", key).Serial();
  return command;
}

gateway::CommandString WaitingCountQuery(const core::ControlState& state, std::u16string_view key) {
  auto command = gateway::CommandString(gateway::GatewayCommand::kWaitingCount, state);
  command.Serial().Field(u"KEY", key);
  return command;
}

gateway::CommandString AutoResponderChange(const core::ControlState& state, std::u16string_view key,
                                           std::u16string_view text) {
  auto command = gateway::CommandString(gateway::GatewayCommand::kAutoResponderChange, state);
  command.Field(u"KEY", key).Field(u"AUTORESPONDER", text).Serial();
  return command;
}

gateway::CommandString IncomingDownload(const core::ControlState& state, std::u16string_view key) {
  auto command = gateway::CommandString(gateway::GatewayCommand::kDownload, state);
  command.Serial().Field(u"KEY", key);
  if (state.TestMode.IsOn()) command.Raw(kTestField);
  return command;
}

gateway::CommandString DownloadCheck(const core::ControlState& state) {
  auto command = gateway::CommandString(gateway::GatewayCommand::kDownloadCheck, state);
  command.Serial();
  return command;
}

void ReadAutoResponder(core::ControlState& state, OrvuReceptionKey& key) {
  core::ResetErrorState(state);
  const auto command = AutoResponderQuery(state, Access::KeyText(key));
  Access::SetTextAutoResponder(key, gateway::ExchangeForPayload(state, command));
}

void ReadWaitingCount(core::ControlState& state, OrvuReceptionKey& key) {
  core::ResetErrorState(state);
  if (Access::KeyText(key).empty()) {
    core::RaiseNumbered(state, ORVULINK_EVENT_KEYRECIVE_REQUEST);
  }
  const auto command = WaitingCountQuery(state, Access::KeyText(key));
  const std::u16string payload = gateway::ExchangeForPayload(state, command);
  Access::SetMessageFromRecive(key, platform::RoundToInteger(platform::LeadingNumber(payload)));
}

}  // namespace orvulink::receive

namespace orvulink {
using core::ThisThreadState;
using core::Trapped;

VariantBool OrvuReceptionKey::Update() {
  CheckThread();
  auto& state = ThisThreadState();
  return Trapped(state, [&] {
    receive::ReadAutoResponder(state, *this);
    receive::ReadWaitingCount(state, *this);
    return VariantBool(true);
  });
}

// The gateway judges key and text; its refusal arrives as a result code. What it answers
// besides is not read: the reply shown is the one given.
VariantBool OrvuReceptionKey::SetAutoResponder(const BStr& NewAutoResponder) {
  CheckThread();
  auto& state = ThisThreadState();
  return Trapped(state, [&] {
    core::ResetErrorState(state);
    const auto command = receive::AutoResponderChange(state, receive::Access::KeyText(*this),
                                                      NewAutoResponder.str());
    gateway::ExchangeAndDecode(state, command);
    receive::Access::SetTextAutoResponder(*this, NewAutoResponder.str());
    return VariantBool(true);
  });
}

}  // namespace orvulink
