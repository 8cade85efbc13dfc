#include "platform/reentry.hpp"

#include <orvulink/automation.hpp>

#include "platform/runtime_error.hpp"

namespace orvulink::platform {
namespace {

struct ThreadReentry {
  int commands = 0;   // gateway commands in progress
  int callbacks = 0;  // host code running, nested
  // The host-code depth at which the innermost command started: deeper means the host's own
  // code started the command from inside that one.
  int callbacksAtCommand = 0;
};

ThreadReentry& ThisThread() {
  thread_local ThreadReentry reentry;
  return reentry;
}

}  // namespace

HostCallbackScope::HostCallbackScope() noexcept {
  ++ThisThread().callbacks;
}
HostCallbackScope::~HostCallbackScope() {
  --ThisThread().callbacks;
}

CommandScope::CommandScope() {
  ThreadReentry& reentry = ThisThread();
  if (reentry.commands > 0 && reentry.callbacks > reentry.callbacksAtCommand) {
    throw AutomationError(kErrInvalidCall, kErrorSource,
                          u"OrvuLink: a gateway command is already in progress on this thread");
  }
  enclosingCallbacks_ = reentry.callbacksAtCommand;
  reentry.callbacksAtCommand = reentry.callbacks;
  ++reentry.commands;
}

CommandScope::~CommandScope() {
  ThreadReentry& reentry = ThisThread();
  --reentry.commands;
  reentry.callbacksAtCommand = enclosingCallbacks_;
}

}  // namespace orvulink::platform
