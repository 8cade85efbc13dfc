// The faults waiting to be applied, one queue per target.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/fault.hpp"

namespace orvulink::sim {

// A fault stays at the head of its queue for `count` requests (for ever without one), then
// the next takes over: "empty x2, then code=97" is two queued faults.
class FaultBoard {
 public:
  void Add(Fault fault);
  void Clear();

  // The fault for the request arriving now, spending one of its count.
  std::optional<Fault> Take(FaultTarget target);

  std::vector<Fault> Pending(FaultTarget target) const;

 private:
  std::deque<Fault>& QueueOf(FaultTarget target);
  const std::deque<Fault>& QueueOf(FaultTarget target) const;

  mutable std::mutex mutex_;
  std::deque<Fault> cgi_;
  std::deque<Fault> probe_;
};

}  // namespace orvulink::sim
