#include "receive/key_commands.hpp"

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

}  // namespace orvulink::receive
