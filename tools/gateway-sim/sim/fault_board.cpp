#include "sim/fault_board.hpp"

namespace orvulink::sim {

void FaultBoard::Add(Fault fault) {
  const std::lock_guard lock(mutex_);
  QueueOf(fault.target).push_back(std::move(fault));
}

void FaultBoard::Clear() {
  const std::lock_guard lock(mutex_);
  cgi_.clear();
  probe_.clear();
}

std::optional<Fault> FaultBoard::Take(FaultTarget target) {
  const std::lock_guard lock(mutex_);
  auto& queue = QueueOf(target);
  if (queue.empty()) return std::nullopt;
  Fault fault = queue.front();
  if (queue.front().count && --*queue.front().count == 0) queue.pop_front();
  return fault;
}

std::vector<Fault> FaultBoard::Pending(FaultTarget target) const {
  const std::lock_guard lock(mutex_);
  const auto& queue = QueueOf(target);
  return {queue.begin(), queue.end()};
}

std::deque<Fault>& FaultBoard::QueueOf(FaultTarget target) {
  return target == FaultTarget::kProbe ? probe_ : cgi_;
}

const std::deque<Fault>& FaultBoard::QueueOf(FaultTarget target) const {
  return target == FaultTarget::kProbe ? probe_ : cgi_;
}

}  // namespace orvulink::sim
