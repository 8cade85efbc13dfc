// --timeout: the whole command ends after its time, however the gateway behaves.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace orvulink::cli {

class CommandDeadline {
 public:
  // With `seconds`, a watch that ends the process with kExitFailure and a message on stderr
  // when the command is still running then. Nothing without.
  explicit CommandDeadline(std::optional<int> seconds);
  ~CommandDeadline();  // the command finished in time: the watch ends
  CommandDeadline(const CommandDeadline&) = delete;
  CommandDeadline& operator=(const CommandDeadline&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
  std::thread watch_;
};

}  // namespace orvulink::cli
