#include "send/send_command.hpp"

#include <orvulink/platform.hpp>

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/answer.hpp"
#include "gateway/command.hpp"
#include "gateway/exchange_form.hpp"
#include "platform/clock.hpp"
#include "platform/conversions.hpp"
#include "platform/pump.hpp"
#include "platform/reentry.hpp"
#include "platform/text.hpp"
#include "send/access.hpp"
#include "send/find_phone.hpp"
#include "send/message_rules.hpp"
#include "send/message_setters.hpp"
#include "send/send_list_state.hpp"

#include <algorithm>
#include <optional>

namespace orvulink::send {
namespace {

gateway::CommandString CommandFor(const core::ControlState& state, std::u16string_view sendData) {
  gateway::CommandString command(gateway::GatewayCommand::kSend, state);
  command.Serial().Raw(u"&SENDDATA=").Raw(sendData);
  if (!state.VAPcode.empty()) command.Field(u"VCODE", state.VAPcode);
  if (state.TestMode.IsOn()) command.Raw(u"&TEST=1");
  return command;
}

// What composition started from: members at later positions, or any member once the list has
// been emptied, were added while the command was being composed and wait for the next one.
struct ComposeStart {
  std::uint64_t generation;
  std::size_t lastPosition;
  bool Holds(const SendListState& state, std::int16_t position) const {
    return state.generation == generation && static_cast<std::size_t>(position) <= lastPosition;
  }
};

// The recipients of a group still to send, joined by ","; they become INSEND and join `group`.
// Errors of the host's code in the pump are ignored: the messages already taken are in the
// command either way. The members are read by index on every turn because the host may add to
// the group (and so move its storage) from the pump.
std::u16string TakeGroupPhones(SendListState& state, const ComposeStart& start,
                               CarriedGroup& group) {
  std::u16string phones;
  const auto number = static_cast<std::size_t>(group.number);
  for (std::size_t index = 0;; ++index) {
    if (state.generation != start.generation || index >= state.groups[number].members.size()) break;
    const std::int16_t position = state.groups[number].members[index];
    if (!start.Holds(state, position)) continue;
    platform::PumpIgnoringHostErrors();
    if (state.generation != start.generation) break;
    const auto* member = state.At(position);
    if (member == nullptr || Access::Status(**member) != ORVULINK_MESSAGESEND_TOSEND) continue;
    if (!phones.empty()) phones += u',';
    phones += Access::PhoneGsm(**member);
    Access::Status(**member) = ORVULINK_MESSAGESEND_INSEND;
    group.messages.push_back({*member});
  }
  return phones;
}

// The group's line, appended to the send data.
void AppendGroupLine(std::u16string& sendData, std::int32_t number, OrvuSendMessage& first,
                     std::u16string_view phones) {
  const std::u16string& dateText = Access::DateText(first);
  const bool now = SendsNow(dateText);
  const std::u16string date = now ? u"0000-00-00" : dateText.substr(0, 10);
  const std::u16string time =
      now ? u"00:00" : dateText.substr(dateText.size() < 5 ? 0 : dateText.size() - 5);
  gateway::AppendEncodedParameter(sendData, platform::ToDecimal(number));
  for (std::u16string_view field : {std::u16string_view(Access::Sender(first)), phones,
                                    std::u16string_view(Access::Text(first)),
                                    std::u16string_view(date), std::u16string_view(time)}) {
    sendData += u'\t';
    gateway::AppendEncodedParameter(sendData, field);
  }
}

void ComposeInto(SendListState& state, SendBatch& batch) {
  const ComposeStart start{state.generation, state.store.size()};
  const std::int32_t groupCount =
      std::min<std::int32_t>(state.nextGroup, static_cast<std::int32_t>(state.groups.size()));
  for (std::int32_t number = 0; number < groupCount; ++number) {
    if (state.generation != start.generation) break;
    const SendGroup& group = state.groups[static_cast<std::size_t>(number)];
    if (group.members.empty() || !start.Holds(state, group.members.front())) continue;
    const auto* firstMember = state.At(group.members.front());
    if (firstMember == nullptr) continue;
    // Its sender, text and date stand for the group; held, as the pump may empty the list.
    const std::shared_ptr<OrvuSendMessage> first = *firstMember;
    CarriedGroup carried{number, {}};
    const std::u16string phones = TakeGroupPhones(state, start, carried);
    if (phones.empty()) continue;
    if (!batch.sendData.empty()) batch.sendData += u"\r\n";
    AppendGroupLine(batch.sendData, number, *first, phones);
    batch.groups.push_back(std::move(carried));
  }
}

// One answer accepts a group: the clock is read once for it, at the first member sent at once.
struct GroupAcceptance {
  const std::vector<BStr>& orderIds;
  std::optional<Date> moment;
  Date Moment() {
    if (!moment) moment = platform::Now();
    return *moment;
  }
};

void MarkAccepted(OrvuSendMessage& message, GroupAcceptance& acceptance) {
  Access::Status(message) = ORVULINK_MESSAGESEND_FORWARD;
  // The send date of a message sent at once becomes the moment it was accepted.
  if (SendsNow(Access::DateText(message))) {
    SetDateTime(message, acceptance.Moment());
  }
  const std::vector<BStr>& orderIds = acceptance.orderIds;
  auto ids = Access::NewOrderIDs();
  Access::OrderID(message) = ids;
  Access::SetOrderIDs(*ids, orderIds);
}

// A message the host removed while its command was in flight went out all the same: it takes
// the answer, so that the host can follow it. The counters are the list's: a message the host
// cleared from the list no longer counts there.
void ApplyToMessage(SendListState& state, const SendBatch& batch, CarriedMessage& carried,
                    const RefusedNumbers& refused, GroupAcceptance& acceptance) {
  OrvuSendMessage& message = *carried.message;
  const OrvuLink_StatusMessage status = Access::Status(message);
  if (carried.applied ||
      (status != ORVULINK_MESSAGESEND_INSEND && status != ORVULINK_MESSAGESEND_CANCELLED))
    return;
  carried.applied = true;
  const bool stillListed = state.generation == batch.listGeneration;
  if (refused.Contains(Access::PhoneGsm(message))) {
    Access::Status(message) = ORVULINK_MESSAGESEND_ERRGATEWAY;
    if (stillListed) ++state.countMessageError;
  } else {
    MarkAccepted(message, acceptance);
    if (stillListed) ++state.countMessageForward;
  }
}

void ApplyGroupResult(SendListState& state, SendBatch& batch, std::u16string_view groupField,
                      std::u16string_view refusedField, std::u16string_view orderIdField) {
  core::Suppressed([&] {
    const auto number = platform::RoundToLong(platform::LeadingNumber(groupField));
    CarriedGroup* group = batch.Group(number);
    if (group == nullptr) return;
    const RefusedNumbers refused(refusedField);
    // Read once for the group: every accepted member gets a list of its own with these IDs.
    const std::vector<BStr> orderIds = DistinctOrderIDs(orderIdField);
    GroupAcceptance acceptance{orderIds, std::nullopt};
    for (CarriedMessage& carried : group->messages) {
      platform::PumpIgnoringHostErrors();
      ApplyToMessage(state, batch, carried, refused, acceptance);
    }
  });
}

// The result list: the text between the answer's first and second space.
std::u16string ResultListOf(core::ControlState& state, std::u16string_view answer) {
  const std::vector<std::u16string> pieces = platform::Split(answer, u" ");
  if (pieces.size() < 2 || platform::IsNumeric(pieces[1])) {
    core::RaiseNumbered(state, ORVULINK_ERROR_COMMAND);
  }
  return pieces[1];
}

// Until the command string is handed to the exchange, a failure means nothing went out: the
// batch's messages wait again. From then on they may be at the gateway and stay INSEND unless
// an answer says otherwise.
class UntilHandedOver {
 public:
  explicit UntilHandedOver(SendBatch& batch) : batch_(&batch) {}
  ~UntilHandedOver() {
    if (batch_) ResetInSend(*batch_);
  }
  UntilHandedOver(const UntilHandedOver&) = delete;
  UntilHandedOver& operator=(const UntilHandedOver&) = delete;
  void HandOver() { batch_ = nullptr; }

 private:
  SendBatch* batch_;
};

}  // namespace

CarriedGroup* SendBatch::Group(std::int32_t number) {
  const auto found = std::lower_bound(
      groups.begin(), groups.end(), number,
      [](const CarriedGroup& group, std::int32_t wanted) { return group.number < wanted; });
  return found != groups.end() && found->number == number ? &*found : nullptr;
}

SendBatch ComposeSendData(SendListState& state) {
  SendBatch batch;
  batch.listGeneration = state.generation;
  state.toSendSinceCompose = 0;
  UntilHandedOver guard(batch);
  ComposeInto(state, batch);
  guard.HandOver();
  return batch;
}

void ResetInSend(SendBatch& batch) {
  for (CarriedGroup& group : batch.groups) {
    for (CarriedMessage& carried : group.messages) {
      OrvuLink_StatusMessage& status = Access::Status(*carried.message);
      if (status == ORVULINK_MESSAGESEND_INSEND) status = ORVULINK_MESSAGESEND_TOSEND;
    }
  }
}

void ApplyResultList(SendListState& state, SendBatch& batch, std::u16string_view resultList) {
  for (const std::u16string& record : platform::Split(resultList, u"\t")) {
    const std::vector<std::u16string> fields = platform::Split(record, u";");
    if (fields.size() < 3) {
      core::RaiseNumbered(core::ThisThreadState(), ORVULINK_ERROR_COMMAND);
    }
    ApplyGroupResult(state, batch, platform::TrimSpaces(fields[0]), fields[2], fields[1]);
  }
}

bool SendList(OrvuSendMessages& list) {
  core::ControlState& control = core::ThisThreadState();
  const platform::CommandScope inProgress;
  core::ResetErrorState(control);
  // The host may drop its last reference to the list from an event handler.
  const auto keepAlive = list.weak_from_this().lock();
  SendListState& state = Access::State(list);
  if (state.countMessageToSend <= 0) return false;
  platform::RaiseProgress(list.ProgresSend, ORVULINK_PROGRESS_COMPOSEREQUEST);
  SendBatch batch = ComposeSendData(state);
  if (batch.sendData.empty()) return false;
  UntilHandedOver untilSent(batch);
  const gateway::CommandString command = CommandFor(control, batch.sendData);
  platform::RaiseProgress(list.ProgresSend, ORVULINK_PROGRESS_REQUEST);
  untilSent.HandOver();
  const std::u16string answer = gateway::ThisThreadExchangeForm().getUrl(command.str());
  if (!answer.starts_with(u"01")) ResetInSend(batch);
  gateway::DecodeAnswer(control, answer);
  const std::u16string resultList = ResultListOf(control, answer);
  platform::RaiseProgressAfterAnswer(list.ProgresSend, ORVULINK_PROGRESS_SAVERESPOSE);
  ApplyResultList(state, batch, resultList);
  // What was added while the command was in flight still waits.
  state.countMessageToSend = state.toSendSinceCompose;
  platform::RaiseProgressAfterAnswer(list.ProgresSend, ORVULINK_PROGRESS_FINISH);
  return true;
}

}  // namespace orvulink::send
