#include "control/control_state.hpp"

#include "gateway/startup.hpp"

namespace orvulink::control {

ControlState& ThisThreadState() {
  // The start routine runs before any object of the component exists on the thread.
  gateway::EnsureThreadStarted();
  thread_local ControlState state;
  return state;
}

}  // namespace orvulink::control
