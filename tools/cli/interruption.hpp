// Ctrl-C (SIGINT) and SIGTERM during a long command: the first asks the command to stop at the
// next safe point (a send finishes the command in flight and records it); a second one ends the
// program at once, as if nothing had been caught.
#pragma once

namespace orvulink::cli {

class InterruptionGuard {
 public:
  InterruptionGuard();
  ~InterruptionGuard();
  InterruptionGuard(const InterruptionGuard&) = delete;
  InterruptionGuard& operator=(const InterruptionGuard&) = delete;

  // Whether a signal arrived since the guard was made.
  static bool Requested();
  // The signal's number, for the exit status 128 + number.
  static int Signal();
};

}  // namespace orvulink::cli
