#include "control/account.hpp"

#include "control/error_exit.hpp"
#include "gateway/command.hpp"
#include "gateway/command_exchange.hpp"
#include "gateway/phone.hpp"
#include "platform/conversions.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <cstddef>
#include <vector>

namespace orvulink::control {
namespace {

constexpr int kCreditCommand = 2;
constexpr int kUserInfoCommand = 7;
constexpr int kDeleteCommand = 9;

// Positions of the user-information fields the component reads.
constexpr std::size_t kNotifyServerField = 1;
constexpr std::size_t kNotifyUserField = 4;
constexpr std::size_t kForeignCountryField = 6;
constexpr std::size_t kReceptionKeysField = 7;

constexpr std::u16string_view kYes = u"S";

gateway::CommandString Head(const ControlState& state, int command) {
  return gateway::CommandString(command, state.UserNameDigest, state.PasswordDigest);
}

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
void ApplyUserInfo(ControlState& state, const std::vector<std::u16string>& fields) {
  state.NotifyServerFlag = IsYes(fields, kNotifyServerField);
  state.NotifyUserFlag = IsYes(fields, kNotifyUserField);
  state.ForeignCountryFlag = IsYes(fields, kForeignCountryField);
  state.ReceptionKeyList = FieldAt(fields, kReceptionKeysField);
}

}  // namespace

double GetCreditCommand(ControlState& state) {
  ResetErrorState(state);
  const std::u16string payload =
      gateway::ExchangeForPayload(state, Head(state, kCreditCommand).Serial());
  return platform::LeadingNumberToBlank(TextBeforeFirstSpace(payload));
}

std::u16string DelMessageCommand(ControlState& state, std::u16string orderId,
                                 std::u16string phoneGsm) {
  gateway::StripSeparators(orderId);
  // Only the rewriting matters: the gateway judges the number itself.
  (void)gateway::NormalizePhoneGsm(phoneGsm);
  ResetErrorState(state);
  const auto command =
      Head(state, kDeleteCommand).Field(u"ORDERID", orderId).Field(u"DEST", phoneGsm).Serial();
  return gateway::ExchangeForPayload(state, command);
}

void QueryUserInfo(ControlState& state) {
  ResetErrorState(state);
  if (state.UserInfoCache.empty()) {
    state.UserInfoCache =
        gateway::ExchangeForPayload(state, Head(state, kUserInfoCommand).Serial());
  }
  ApplyUserInfo(state, platform::Split(state.UserInfoCache, u"\t"));
}

}  // namespace orvulink::control
