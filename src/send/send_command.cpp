#include "send/send_command.hpp"

#include <orvulink/platform.hpp>

#include "control/control_state.hpp"
#include "control/error_exit.hpp"
#include "gateway/answer.hpp"
#include "gateway/command.hpp"
#include "gateway/exchange_form.hpp"
#include "platform/clock.hpp"
#include "platform/conversions.hpp"
#include "platform/text.hpp"
#include "send/access.hpp"
#include "send/find_phone.hpp"
#include "send/message_rules.hpp"
#include "send/message_setters.hpp"
#include "send/send_list_state.hpp"

namespace orvulink::send {
namespace {

constexpr int kSendCommand = 14;

void RaiseProgress(OrvuSendMessages& list, OrvuLink_CodeProgress step) {
  platform::PumpMessages();
  OrvuLink_CodeProgress value = step;
  list.ProgresSend.Fire(value);
  platform::PumpMessages();
}

gateway::CommandString CommandFor(const control::ControlState& state,
                                  std::u16string_view sendData) {
  gateway::CommandString command(kSendCommand);
  command.Serial().Raw(u"&SENDDATA=").Raw(sendData);
  if (!state.VAPcode.empty()) command.Field(u"VCODE", state.VAPcode);
  if (state.TestMode.IsOn()) command.Raw(u"&TEST=1");
  return command;
}

// The recipients of a group still to send, joined by ","; they become INSEND.
std::u16string TakeGroupPhones(SendListState& state, const SendGroup& group) {
  std::u16string phones;
  for (std::int16_t position : group.members) {
    platform::PumpMessages();
    const auto* member = state.At(position);
    if (member == nullptr) continue;
    OrvuSendMessage& message = **member;
    if (Access::Status(message) != ORVULINK_MESSAGESEND_TOSEND) continue;
    if (!phones.empty()) phones += u',';
    phones += Access::PhoneGsm(message);
    Access::Status(message) = ORVULINK_MESSAGESEND_INSEND;
    state.inCommand.insert(&message);
  }
  return phones;
}

std::u16string GroupLine(std::int32_t number, OrvuSendMessage& first, std::u16string_view phones) {
  const std::u16string& dateText = Access::DateText(first);
  const bool now = dateText == u"NOW";
  const std::u16string date = now ? u"0000-00-00" : dateText.substr(0, 10);
  const std::u16string time =
      now ? u"00:00" : dateText.substr(dateText.size() < 5 ? 0 : dateText.size() - 5);
  std::u16string line = gateway::EncodeParameter(platform::ToDecimal(number));
  for (std::u16string_view field : {std::u16string_view(Access::Sender(first)), phones,
                                    std::u16string_view(Access::Text(first)),
                                    std::u16string_view(date), std::u16string_view(time)}) {
    line += u'\t';
    line += gateway::EncodeParameter(field);
  }
  return line;
}

void MarkAccepted(OrvuSendMessage& message, std::u16string_view orderIds) {
  Access::Status(message) = ORVULINK_MESSAGESEND_FORWARD;
  // The send date of a message sent at once becomes the moment it was accepted.
  if (platform::FoldCase(Access::DateText(message)) == platform::FoldCase(kSendNow)) {
    SetDateTime(message, platform::Now());
  }
  auto ids = Access::NewOrderIDs();
  Access::OrderID(message) = ids;
  for (const std::u16string& id : platform::Split(orderIds, u","))
    Access::AddOrderID(*ids, id);
}

void ApplyGroupResult(SendListState& state, std::u16string_view groupField,
                      std::u16string_view refusedField, std::u16string_view orderIdField) {
  control::Suppressed([&] {
    const auto number = platform::RoundToLong(platform::LeadingNumber(groupField));
    if (number < 0 || static_cast<std::size_t>(number) >= state.groups.size()) return;
    const RefusedNumbers refused(refusedField);
    for (std::int16_t position : state.groups[static_cast<std::size_t>(number)].members) {
      platform::PumpMessages();
      const auto* member = state.At(position);
      if (member == nullptr) continue;
      OrvuSendMessage& message = **member;
      if (Access::Status(message) != ORVULINK_MESSAGESEND_INSEND) continue;
      if (!state.inCommand.contains(&message)) continue;
      if (refused.Contains(Access::PhoneGsm(message))) {
        Access::Status(message) = ORVULINK_MESSAGESEND_ERRGATEWAY;
        ++state.countMessageError;
      } else {
        MarkAccepted(message, orderIdField);
        ++state.countMessageForward;
      }
    }
  });
}

// The result list: the text between the answer's first and second space.
std::u16string ResultListOf(control::ControlState& state, std::u16string_view answer) {
  const std::vector<std::u16string> pieces = platform::Split(answer, u" ");
  if (pieces.size() < 2 || platform::IsNumeric(pieces[1])) {
    control::RaiseNumbered(state, ORVULINK_ERROR_COMMAND);
  }
  return pieces[1];
}

}  // namespace

std::u16string ComposeSendData(SendListState& state) {
  state.inCommand.clear();
  std::u16string data;
  for (std::int32_t number = 0; number < state.nextGroup; ++number) {
    if (static_cast<std::size_t>(number) >= state.groups.size()) break;
    const SendGroup& group = state.groups[static_cast<std::size_t>(number)];
    if (group.members.empty()) continue;
    const auto* first = state.At(group.members.front());
    if (first == nullptr) continue;
    const std::u16string phones = TakeGroupPhones(state, group);
    if (phones.empty()) continue;
    if (!data.empty()) data += u"\r\n";
    data += GroupLine(number, **first, phones);
  }
  return data;
}

void ResetInSend(SendListState& state) {
  for (const auto& message : state.store) {
    OrvuLink_StatusMessage& status = Access::Status(*message);
    if (status == ORVULINK_MESSAGESEND_INSEND && state.inCommand.contains(message.get()))
      status = ORVULINK_MESSAGESEND_TOSEND;
  }
}

void ApplyResultList(SendListState& state, std::u16string_view resultList) {
  for (const std::u16string& record : platform::Split(resultList, u"\t")) {
    const std::vector<std::u16string> fields = platform::Split(record, u";");
    if (fields.size() < 3) {
      control::RaiseNumbered(control::ThisThreadState(), ORVULINK_ERROR_COMMAND);
    }
    ApplyGroupResult(state, platform::TrimSpaces(fields[0]), fields[2], fields[1]);
  }
}

bool SendList(OrvuSendMessages& list) {
  control::ControlState& control = control::ThisThreadState();
  control::ResetErrorState(control);
  SendListState& state = Access::State(list);
  if (state.countMessageToSend <= 0) return false;
  RaiseProgress(list, ORVULINK_PROGRESS_COMPOSEREQUEST);
  const std::u16string sendData = ComposeSendData(state);
  if (sendData.empty()) {
    ResetInSend(state);
    return false;
  }
  const gateway::CommandString command = CommandFor(control, sendData);
  RaiseProgress(list, ORVULINK_PROGRESS_REQUEST);
  const std::u16string answer = gateway::ThisThreadExchangeForm().getUrl(command.str());
  if (!answer.starts_with(u"01")) ResetInSend(state);
  gateway::DecodeAnswer(control, answer);
  const std::u16string resultList = ResultListOf(control, answer);
  RaiseProgress(list, ORVULINK_PROGRESS_SAVERESPOSE);
  ApplyResultList(state, resultList);
  state.countMessageToSend = 0;
  RaiseProgress(list, ORVULINK_PROGRESS_FINISH);
  return true;
}

}  // namespace orvulink::send
