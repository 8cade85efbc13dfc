#include "core/control_state.hpp"

namespace orvulink::core {
namespace {

// Trivially destructible, so it can still be read once the thread's state is gone.
thread_local bool stateGone = false;

struct ThreadStateHolder {
  ControlState state;
  ~ThreadStateHolder() { stateGone = true; }
};

}  // namespace

ControlState& ThisThreadState() {
  thread_local ThreadStateHolder holder;
  return holder.state;
}

bool ThisThreadStateGone() noexcept {
  return stateGone;
}

}  // namespace orvulink::core
