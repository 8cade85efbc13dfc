#include "command_deadline.hpp"

#include <unistd.h>

#include <chrono>
#include <string>

#include "exit_codes.hpp"

namespace orvulink::cli {

CommandDeadline::CommandDeadline(std::optional<int> seconds) {
  if (!seconds) return;
  // Composed now: when the time is up the command's thread may be in any state.
  const std::string message = "\nerror: --timeout: the command did not finish within " +
                              std::to_string(*seconds) +
                              " s; a send in flight may or may not have reached the gateway\n";
  watch_ = std::thread([this, limit = *seconds, message] {
    std::unique_lock lock(mutex_);
    if (finished_.wait_for(lock, std::chrono::seconds(limit), [this] { return done_; })) return;
    // A blocked exchange cannot be interrupted from here; ending the process is the one sure
    // way, without running destructors that the other thread may be using.
    (void)::write(STDERR_FILENO, message.data(), message.size());
    ::_exit(kExitFailure);
  });
}

CommandDeadline::~CommandDeadline() {
  if (!watch_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    done_ = true;
  }
  finished_.notify_all();
  watch_.join();
}

}  // namespace orvulink::cli
