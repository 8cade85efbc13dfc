// The component's side of the message pump: events posted to this thread's queue and sources
// polled on every pump (the probe browser's transfer).
#pragma once

#include <functional>
#include <memory>

namespace orvulink::platform {

// PumpMessages, where a failure of the host's code must not stop the component's work (a
// command whose answer is being applied).
void PumpIgnoringHostErrors() noexcept;

// Queues `message` for delivery by the next PumpMessages() on this thread.
void PostThreadMessage(std::function<void()> message);

// While the returned handle lives, `poll` runs at the start of every PumpMessages() on this
// thread (before the queued messages are delivered).
class PumpSource {
 public:
  virtual ~PumpSource() = default;
};
[[nodiscard]] std::unique_ptr<PumpSource> AddPumpSource(std::function<void()> poll);

}  // namespace orvulink::platform
