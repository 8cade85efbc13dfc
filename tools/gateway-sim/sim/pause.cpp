#include "sim/pause.hpp"

namespace orvulink::sim {

bool Pause::Wait(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, duration, [this] { return cancelled_; });
}

void Pause::Cancel() {
  {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  wake_.notify_all();
}

}  // namespace orvulink::sim
