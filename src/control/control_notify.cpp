#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>

#include "control/control_state.hpp"
#include "notify/access.hpp"

namespace orvulink {

std::shared_ptr<OrvuNotifiedMessages> OrvuLinkActiveX::MessagesToNotify() const {
  CheckThread();
  return control::ThisThreadState().MessagesToNotify;
}

void notify::ReleaseNotifyList(control::ControlState& state) {
  if (!state.MessagesToNotify) return;
  Access::State(*state.MessagesToNotify).orderIds.Release();
  state.MessagesToNotify.reset();
}

}  // namespace orvulink
