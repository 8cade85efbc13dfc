#include <orvulink/control.hpp>
#include <orvulink/send.hpp>

#include "control/control_state.hpp"
#include "send/access.hpp"
#include "send/send_list_state.hpp"

namespace orvulink {

std::shared_ptr<OrvuSendMessages> OrvuLinkActiveX::MessagesToSend() const {
  CheckThread();
  return control::ThisThreadState().MessagesToSend;
}

void send::ReleaseSendList(control::ControlState& state) {
  if (!state.MessagesToSend) return;
  Access::State(*state.MessagesToSend).ReleaseAll();
  state.MessagesToSend.reset();
}

}  // namespace orvulink
