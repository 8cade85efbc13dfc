// The control's reception members: the list of the user's keys, filled on request.
#include <orvulink/control.hpp>
#include <orvulink/receive.hpp>

#include "control/account.hpp"
#include "control/control_state.hpp"
#include "control/error_exit.hpp"
#include "receive/key_list.hpp"

namespace orvulink {

using control::ThisThreadState;

std::shared_ptr<OrvuReceptionKeys> OrvuLinkActiveX::ReceptionKeys() const {
  CheckThread();
  return ThisThreadState().ReceptionKeys;
}

// The previous list is replaced only once the user information has arrived, so a failed
// query leaves the host's keys as they were.
VariantBool OrvuLinkActiveX::FillReceptionKeys() {
  CheckThread();
  auto& state = ThisThreadState();
  return control::Trapped(state, [&] {
    const platform::CommandScope inProgress;
    control::ResetErrorState(state);
    if (state.UserName.empty() || state.Password.empty()) {
      control::RaiseNumbered(state, ORVULINK_ERROR_AUTHENTICATION);
    }
    control::QueryUserInfo(state);
    // Held: the host may end the control, and so drop the list, while a key is refreshed.
    const std::shared_ptr<OrvuReceptionKeys> keys = receive::RenewReceptionKeys(state);
    receive::AddListedKeys(state, *keys);
    return VariantBool(true);
  });
}

}  // namespace orvulink
