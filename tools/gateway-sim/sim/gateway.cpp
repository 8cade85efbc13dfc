#include "sim/gateway.hpp"

#include "sim/command_parser.hpp"
#include "sim/protocol.hpp"

namespace orvulink::sim {

Gateway::Gateway(AccountFixture fixture, std::string serial, SimClock clock)
    : initial_(fixture),
      current_(std::move(fixture)),
      serial_(std::move(serial)),
      clock_(std::move(clock)) {}

Answer Gateway::Handle(std::string_view body) {
  const ParseResult parsed = ParseCommand(body);
  if (!parsed.command) return Failure(result_code::kCgiError);
  const std::lock_guard lock(mutex_);
  return Dispatch(*parsed.command, current_, serial_, clock_.Now());
}

void Gateway::Reset() {
  const std::lock_guard lock(mutex_);
  current_ = initial_;
  clock_.Rewind();
}

void Gateway::AdvanceClock(std::chrono::milliseconds by) {
  const std::lock_guard lock(mutex_);
  clock_.Advance(by);
}

std::size_t Gateway::SettleDeliveries() {
  const std::lock_guard lock(mutex_);
  std::size_t settled = 0;
  for (auto& account : current_.accounts)
    settled += account.orders.SettleAt(clock_.Now());
  return settled;
}

SimTime Gateway::Now() const {
  const std::lock_guard lock(mutex_);
  return clock_.Now();
}

nlohmann::json Gateway::AccountsJson() const {
  const std::lock_guard lock(mutex_);
  return FixtureToJson(current_);
}

}  // namespace orvulink::sim
