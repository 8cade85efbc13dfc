// The account commands: credit (CMD=2), deletion of messages (CMD=9) and the user-information
// query (CMD=7). Each resets the error state first and raises on any failure; the control's
// members trap them.
#pragma once

#include "core/control_state.hpp"

#include <string>

namespace orvulink::control {

// The remaining credit: the leading number of the payload's text before its first space.
double GetCreditCommand(core::ControlState& state);

// Deletes the messages of one order (of one recipient when `phoneGsm` is given) and returns the
// gateway's payload unchanged.
std::u16string DelMessageCommand(core::ControlState& state, std::u16string orderId,
                                 std::u16string phoneGsm);

// Fills the three entitlement flags and ReceptionKeyList from the user information, asking the
// gateway only while UserInfoCache is empty.
void QueryUserInfo(core::ControlState& state);

}  // namespace orvulink::control
