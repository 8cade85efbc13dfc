// A wait that the server's shutdown cuts short, so a delayed answer never holds up a stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orvulink::sim {

class Pause {
 public:
  // Returns false when cancelled before the time was up.
  bool Wait(std::chrono::milliseconds duration);

  // Ends every wait, now and later.
  void Cancel();

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool cancelled_ = false;
};

}  // namespace orvulink::sim
