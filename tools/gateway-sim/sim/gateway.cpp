#include "sim/gateway.hpp"

#include "sim/command_parser.hpp"
#include "sim/protocol.hpp"

namespace orvulink::sim {

Gateway::Gateway(AccountFixture fixture, std::string serial)
    : initial_(fixture), current_(std::move(fixture)), serial_(std::move(serial)) {}

Answer Gateway::Handle(std::string_view body) {
  const ParseResult parsed = ParseCommand(body);
  if (!parsed.command) return Failure(result_code::kCgiError);
  const std::lock_guard lock(mutex_);
  return Dispatch(*parsed.command, current_, serial_);
}

void Gateway::Reset() {
  const std::lock_guard lock(mutex_);
  current_ = initial_;
}

nlohmann::json Gateway::AccountsJson() const {
  const std::lock_guard lock(mutex_);
  return FixtureToJson(current_);
}

}  // namespace orvulink::sim
