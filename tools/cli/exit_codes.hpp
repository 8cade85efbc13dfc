// Exit statuses of orvulink, and the error kind that maps to the usage status.
#pragma once

#include <stdexcept>

namespace orvulink::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;      // the command ran and failed, or the verdict is not OK
inline constexpr int kExitUsage = 2;        // the command line itself is wrong
inline constexpr int kExitNotAccepted = 3;  // a send ran, but not every message was accepted
inline constexpr int kExitTimedOut = 4;     // a status wait ended with some delivery unsettled

// A command line that parsed but asks for something that cannot be: an unknown setting, a
// value of the wrong kind.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace orvulink::cli
