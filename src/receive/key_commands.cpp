#include "receive/key_commands.hpp"

namespace orvulink::receive {
namespace {

constexpr int kDownloadCommand = 4;
constexpr int kDownloadCheckCommand = 5;
constexpr int kWaitingCountCommand = 6;
constexpr int kAutoResponderQueryCommand = 16;
constexpr int kAutoResponderChangeCommand = 17;

constexpr std::u16string_view kTestField = u"&TEST=1";

gateway::CommandString Head(const control::ControlState& state, int command) {
  return gateway::CommandString(command, state.UserNameDigest, state.PasswordDigest);
}

}  // namespace

gateway::CommandString AutoResponderQuery(const control::ControlState& state,
                                          std::u16string_view key) {
  auto command = Head(state, kAutoResponderQueryCommand);
  command.Field(u"KEY", key).Serial();
  return command;
}

gateway::CommandString WaitingCountQuery(const control::ControlState& state,
                                         std::u16string_view key) {
  auto command = Head(state, kWaitingCountCommand);
  command.Serial().Field(u"KEY", key);
  return command;
}

gateway::CommandString AutoResponderChange(const control::ControlState& state,
                                           std::u16string_view key, std::u16string_view text) {
  auto command = Head(state, kAutoResponderChangeCommand);
  command.Field(u"KEY", key).Field(u"AUTORESPONDER", text).Serial();
  return command;
}

gateway::CommandString IncomingDownload(const control::ControlState& state,
                                        std::u16string_view key) {
  auto command = Head(state, kDownloadCommand);
  command.Serial().Field(u"KEY", key);
  if (state.TestMode.IsOn()) command.Raw(kTestField);
  return command;
}

gateway::CommandString DownloadCheck(const control::ControlState& state) {
  auto command = Head(state, kDownloadCheckCommand);
  command.Serial();
  return command;
}

}  // namespace orvulink::receive
