// The control's account members: trapped, so the host gets the exception and ErrCode keeps it.
#include <orvulink/control.hpp>

#include "control/account.hpp"
#include "control/control_state.hpp"
#include "control/error_exit.hpp"

namespace orvulink {

using control::ControlState;
using control::ThisThreadState;
using control::Trapped;

namespace {

// 1 or 0 from the user information; the plain credentials must both be present first.
std::int16_t EntitlementFlag(VariantBool ControlState::*flag) {
  auto& state = ThisThreadState();
  return Trapped(state, [&]() -> std::int16_t {
    control::ResetErrorState(state);
    if (state.UserName.empty() || state.Password.empty()) {
      control::RaiseNumbered(state, ORVULINK_ERROR_AUTHENTICATION);
    }
    control::QueryUserInfo(state);
    return (state.*flag).IsTrue() ? 1 : 0;
  });
}

}  // namespace

std::int16_t OrvuLinkActiveX::NotifyServer() const {
  CheckThread();
  return EntitlementFlag(&ControlState::NotifyServerFlag);
}
std::int16_t OrvuLinkActiveX::NotifyUser() const {
  CheckThread();
  return EntitlementFlag(&ControlState::NotifyUserFlag);
}
std::int16_t OrvuLinkActiveX::ForeignCountry() const {
  CheckThread();
  return EntitlementFlag(&ControlState::ForeignCountryFlag);
}

BStr OrvuLinkActiveX::DelMessage(const BStr& OrderID, const BStr& PhoneGsm) {
  CheckThread();
  auto& state = ThisThreadState();
  return Trapped(state, [&] {
    return BStr(control::DelMessageCommand(state, OrderID.str(), PhoneGsm.str()));
  });
}

double OrvuLinkActiveX::GetCredit() {
  CheckThread();
  auto& state = ThisThreadState();
  return Trapped(state, [&] { return control::GetCreditCommand(state); });
}

}  // namespace orvulink
