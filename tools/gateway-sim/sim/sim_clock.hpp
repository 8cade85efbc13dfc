// The simulator's sense of time: a time source plus however far tests have moved it on.
#pragma once

#include <chrono>
#include <functional>

namespace orvulink::sim {

using SimTime = std::chrono::system_clock::time_point;

// Not thread-safe: the gateway reads and moves it under its own lock.
class SimClock {
 public:
  using Source = std::function<SimTime()>;

  // The wall clock unless a test injects a source of its own.
  SimClock();
  explicit SimClock(Source source);

  SimTime Now() const { return source_() + offset_; }

  // Moves simulated time on, so scheduled delivery steps fall due without sleeping.
  void Advance(std::chrono::milliseconds by) { offset_ += by; }
  // Back to the source's own time.
  void Rewind() { offset_ = std::chrono::milliseconds{0}; }
  std::chrono::milliseconds offset() const noexcept { return offset_; }

 private:
  Source source_;
  std::chrono::milliseconds offset_{0};
};

}  // namespace orvulink::sim
