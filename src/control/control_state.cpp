#include "control/control_state.hpp"

#include "gateway/startup.hpp"

namespace orvulink::control {
namespace {

// Trivially destructible, so it can still be read once the thread's state is gone.
thread_local bool stateGone = false;

struct ThreadStateHolder {
  ControlState state;
  ~ThreadStateHolder() { stateGone = true; }
};

}  // namespace

ControlState& ThisThreadState() {
  // The start routine runs before any object of the component exists on the thread.
  gateway::EnsureThreadStarted();
  thread_local ThreadStateHolder holder;
  return holder.state;
}

bool ThisThreadStateGone() noexcept {
  return stateGone;
}

}  // namespace orvulink::control
