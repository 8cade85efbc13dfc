#include "sim/request_log.hpp"

namespace orvulink::sim {

void RequestLog::RecordCommand(std::string body) {
  const std::lock_guard lock(mutex_);
  commands_.push_back(std::move(body));
}

void RequestLog::RecordProbe() {
  const std::lock_guard lock(mutex_);
  ++probes_;
}

void RequestLog::Clear() {
  const std::lock_guard lock(mutex_);
  commands_.clear();
  probes_ = 0;
}

std::vector<std::string> RequestLog::Commands() const {
  const std::lock_guard lock(mutex_);
  return commands_;
}

std::size_t RequestLog::ProbeCount() const {
  const std::lock_guard lock(mutex_);
  return probes_;
}

}  // namespace orvulink::sim
