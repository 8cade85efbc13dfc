// The one way the component runs a step whose failure must not stop the work around it (a
// failing host hook, a browser step, a log line): the failure ends the step quietly.
#pragma once

#include <utility>

namespace orvulink::platform {

// Runs `body` with failures suppressed; returns whether it completed.
template <class Body>
bool Suppressed(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace orvulink::platform
