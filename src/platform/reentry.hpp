// Re-entry from the host: the component runs the host's code (its pump hook, its event
// handlers) in the middle of a command, and that code may call back into the component.
// Everything but a second gateway command is allowed then; a command started from there is
// refused, because the thread's exchange and the lists' in-flight state belong to the command
// already running.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include "platform/pump.hpp"
#include "platform/suppressed.hpp"

namespace orvulink::platform {

// Marks the time the host's own code runs on this thread (hook, event handler).
class HostCallbackScope {
 public:
  HostCallbackScope() noexcept;
  ~HostCallbackScope();
  HostCallbackScope(const HostCallbackScope&) = delete;
  HostCallbackScope& operator=(const HostCallbackScope&) = delete;
};

// Held for the whole of a gateway command. Raises automation error 5 when the host starts it
// from its own code while another command is in progress on this thread; a command the
// component runs inside its own command (a refresh after a download) is not refused.
class CommandScope {
 public:
  CommandScope();
  ~CommandScope();
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

 private:
  int enclosingCallbacks_;
};

// Runs `handler` as host code: inside a HostCallbackScope.
template <class Handler>
decltype(auto) AsHostCode(Handler&& handler) {
  const HostCallbackScope scope;
  return handler();
}

// The handlers, as host code, with a fresh copy of the value: whatever they write back is
// ignored.
template <class Value>
void FireFreshCopy(Event<Value&>& event, Value step) {
  AsHostCode([&] {
    Value value = step;
    event.Fire(value);
  });
}

// A progress event as the host sees it: the pump, the handlers, the pump again.
template <class Value>
void RaiseProgress(Event<Value&>& event, Value step) {
  PumpMessages();
  FireFreshCopy(event, step);
  PumpMessages();
}

// The same once the command's answer has arrived: a failing handler or hook must not keep the
// answer from being applied, so its failure is dropped.
template <class Value>
void RaiseProgressAfterAnswer(Event<Value&>& event, Value step) noexcept {
  PumpIgnoringHostErrors();
  Suppressed([&] { FireFreshCopy(event, step); });
  PumpIgnoringHostErrors();
}

}  // namespace orvulink::platform
