// The slot behind each replaceable seam: a real default and the implementation in force,
// swapped under a lock so a host may replace a seam while other threads use it.
#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace orvulink::platform {

template <class Interface>
class SeamSlot {
 public:
  explicit SeamSlot(std::shared_ptr<Interface> fallback)
      : fallback_(fallback), current_(std::move(fallback)) {}

  // Installs `replacement` (null: the real default) and returns what was in force.
  std::shared_ptr<Interface> Set(std::shared_ptr<Interface> replacement) {
    const std::lock_guard lock(mutex_);
    if (!replacement) replacement = fallback_;
    return std::exchange(current_, std::move(replacement));
  }

  std::shared_ptr<Interface> Get() const {
    const std::lock_guard lock(mutex_);
    return current_;
  }

 private:
  mutable std::mutex mutex_;
  const std::shared_ptr<Interface> fallback_;
  std::shared_ptr<Interface> current_;
};

}  // namespace orvulink::platform
