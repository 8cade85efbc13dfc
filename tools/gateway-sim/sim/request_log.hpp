// What clients have sent, in order, for tests to inspect.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace orvulink::sim {

class RequestLog {
 public:
  void RecordCommand(std::string body);
  void RecordProbe();
  void Clear();

  std::vector<std::string> Commands() const;
  std::size_t ProbeCount() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> commands_;
  std::size_t probes_ = 0;
};

}  // namespace orvulink::sim
