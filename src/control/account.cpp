// The account commands and the control's members that talk to the gateway: credit (CMD=2),
// deletion of messages (CMD=9), the user information (CMD=7) with the entitlements and the
// reception keys, and the connection test.
#include "control/account.hpp"

#include <orvulink/control.hpp>
#include <orvulink/receive.hpp>

#include "core/error_exit.hpp"
#include "gateway/command.hpp"
#include "gateway/command_exchange.hpp"
#include "gateway/exchange_form.hpp"
#include "gateway/phone.hpp"
#include "platform/conversions.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"
#include "receive/key_list.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvulink::control {
namespace {

// Positions of the user-information fields the component reads.
constexpr std::size_t kNotifyServerField = 1;
constexpr std::size_t kNotifyUserField = 4;
constexpr std::size_t kForeignCountryField = 6;
constexpr std::size_t kReceptionKeysField = 7;

constexpr std::u16string_view kYes = u"S";

// The credit stands before the first space; a payload without one has no such text.
std::u16string TextBeforeFirstSpace(const std::u16string& payload) {
  const std::size_t space = payload.find(u' ');
  if (space == std::u16string::npos) platform::RaiseRuntimeError(platform::kErrInvalidCall);
  return payload.substr(0, space);
}

// A field the payload lacks fails as an index out of range would.
const std::u16string& FieldAt(const std::vector<std::u16string>& fields, std::size_t index) {
  if (index >= fields.size()) platform::RaiseRuntimeError(platform::kErrSubscript);
  return fields[index];
}

VariantBool IsYes(const std::vector<std::u16string>& fields, std::size_t index) {
  return VariantBool(FieldAt(fields, index) == kYes);
}

// In field order, so that a short payload leaves the later values as they were.
void ApplyUserInfo(core::ControlState& state, const std::vector<std::u16string>& fields) {
  state.NotifyServerFlag = IsYes(fields, kNotifyServerField);
  state.NotifyUserFlag = IsYes(fields, kNotifyUserField);
  state.ForeignCountryFlag = IsYes(fields, kForeignCountryField);
  state.ReceptionKeyList = FieldAt(fields, kReceptionKeysField);
}

}  // namespace

double GetCreditCommand(core::ControlState& state) {
  core::ResetErrorState(state);
  const std::u16string payload = gateway::ExchangeForPayload(
      state, gateway::CommandString(gateway::GatewayCommand::kCredit, state).Serial());
  return platform::LeadingNumberToBlank(TextBeforeFirstSpace(payload));
}

std::u16string DelMessageCommand(core::ControlState& state, std::u16string orderId,
                                 std::u16string phoneGsm) {
  gateway::StripSeparators(orderId);
  // Only the rewriting matters: the gateway judges the number itself.
  (void)gateway::NormalizePhoneGsm(phoneGsm);
  core::ResetErrorState(state);
  const auto command = gateway::CommandString(gateway::GatewayCommand::kDelete, state)
                           .Field(u"ORDERID", orderId)
                           .Field(u"DEST", phoneGsm)
                           .Serial();
  return gateway::ExchangeForPayload(state, command);
}

void QueryUserInfo(core::ControlState& state) {
  core::ResetErrorState(state);
  if (state.UserInfoCache.empty()) {
    state.UserInfoCache = gateway::ExchangeForPayload(
        state, gateway::CommandString(gateway::GatewayCommand::kUserInfo, state).Serial());
  }
  ApplyUserInfo(state, platform::Split(state.UserInfoCache, u"\t"));
}

}  // namespace orvulink::control

// ---- The control's members that talk to the gateway: trapped, so the host gets the exception
// and ErrCode keeps it (TestConnection only reports).

namespace orvulink {

namespace {

// 1 or 0 from the user information; the plain credentials must both be present first.
std::int16_t EntitlementFlag(VariantBool core::ControlState::*flag) {
  auto& state = core::ThisThreadState();
  return core::Trapped(state, [&]() -> std::int16_t {
    core::ResetErrorState(state);
    if (state.UserName.empty() || state.Password.empty()) {
      core::RaiseNumbered(state, ORVULINK_ERROR_AUTHENTICATION);
    }
    control::QueryUserInfo(state);
    return (state.*flag).IsTrue() ? 1 : 0;
  });
}

}  // namespace

std::int16_t OrvuLinkActiveX::NotifyServer() const {
  CheckThread();
  return EntitlementFlag(&core::ControlState::NotifyServerFlag);
}
std::int16_t OrvuLinkActiveX::NotifyUser() const {
  CheckThread();
  return EntitlementFlag(&core::ControlState::NotifyUserFlag);
}
std::int16_t OrvuLinkActiveX::ForeignCountry() const {
  CheckThread();
  return EntitlementFlag(&core::ControlState::ForeignCountryFlag);
}

BStr OrvuLinkActiveX::DelMessage(const BStr& OrderID, const BStr& PhoneGsm) {
  CheckThread();
  auto& state = core::ThisThreadState();
  return core::Trapped(state, [&] {
    return BStr(control::DelMessageCommand(state, OrderID.str(), PhoneGsm.str()));
  });
}

double OrvuLinkActiveX::GetCredit() {
  CheckThread();
  auto& state = core::ThisThreadState();
  return core::Trapped(state, [&] { return control::GetCreditCommand(state); });
}

// The previous list is replaced only once the user information has arrived, so a failed
// query leaves the host's keys as they were.
VariantBool OrvuLinkActiveX::FillReceptionKeys() {
  CheckThread();
  auto& state = core::ThisThreadState();
  return core::Trapped(state, [&] {
    const platform::CommandScope inProgress;
    core::ResetErrorState(state);
    if (state.UserName.empty() || state.Password.empty()) {
      core::RaiseNumbered(state, ORVULINK_ERROR_AUTHENTICATION);
    }
    control::QueryUserInfo(state);
    // Held: the host may end the control, and so drop the list, while a key is refreshed.
    const std::shared_ptr<OrvuReceptionKeys> keys = receive::RenewReceptionKeys(state);
    receive::AddListedKeys(state, *keys);
    return VariantBool(true);
  });
}

namespace {

constexpr std::u16string_view kBodyOpen = u"<body>";
constexpr std::u16string_view kBodyClose = u"</body>";

// The verdict on an answer page: numeric body 1, other body -4, no body framed by the two tags
// leaves `verdict` as it is.
std::int32_t JudgeAnswer(const std::u16string& answer, std::int32_t verdict) {
  if (answer.empty()) return verdict;
  const std::size_t open = platform::Find(answer, kBodyOpen);
  const std::size_t close = platform::Find(answer, kBodyClose);
  if (open < 1 || close < 1 || close <= open) return verdict;
  const std::size_t bodyStart = open - 1 + kBodyOpen.size();
  const std::u16string body = answer.substr(bodyStart, close - 1 - bodyStart);
  return platform::IsNumeric(platform::ReplaceAll(body, u"\r\n", u"")) ? ORVULINK_TEST_OK
                                                                       : ORVULINK_TEST_GATEWAY;
}

}  // namespace

OrvuLink_CodeTestConnection OrvuLinkActiveX::TestConnection() {
  CheckThread();
  auto& state = core::ThisThreadState();
  auto& form = gateway::ThisThreadExchangeForm();
  const platform::CommandScope inProgress = core::EnterCommand(state);
  std::int32_t verdict = ORVULINK_TEST_GENERIC;
  try {
    core::ResetErrorState(state);
    form.iCodeTest = 0;
    const std::u16string answer = form.getUrl(u"", gateway::AnswerForm::kRaw);
    verdict = form.iCodeTest;
    verdict = JudgeAnswer(answer, verdict);
  } catch (...) {
    // The verdict reached so far stands; the failure stays readable in ErrCode/ErrDescription.
  }
  return static_cast<OrvuLink_CodeTestConnection>(verdict);
}

}  // namespace orvulink
