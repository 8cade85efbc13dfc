// The simulated gateway: its accounts and the answer to each command string.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "sim/accounts.hpp"
#include "sim/answer.hpp"
#include "sim/sim_clock.hpp"

namespace orvulink::sim {

// The component's own serial token, which the gateway accepts by default.
inline constexpr std::string_view kDefaultSerial = "OL7R2K9Q4M1X8C5V3N6B";

// Safe to call from the server's worker threads at once.
class Gateway {
 public:
  // Tests inject a clock source to pin the time deliveries are scheduled against.
  Gateway(AccountFixture fixture, std::string serial, SimClock clock = SimClock());

  // The answer to one command string as the client sent it; "98" when it is malformed.
  Answer Handle(std::string_view body);

  // Back to the accounts as loaded, and to the clock's own time.
  void Reset();

  // Moves the gateway's time on, so deliveries advance without waiting.
  void AdvanceClock(std::chrono::milliseconds by);
  // Every pending delivery of every account reaches its final state now; returns how many.
  std::size_t SettleDeliveries();
  SimTime Now() const;

  // An SMS arrives on `key`, at whichever account owns it; an empty `sms.sent` means now.
  // Returns the key's waiting count, or nothing when no account owns the key.
  std::optional<std::size_t> ReceiveSms(const std::string& key, IncomingSms sms);

  nlohmann::json AccountsJson() const;

 private:
  mutable std::mutex mutex_;
  const AccountFixture initial_;
  AccountFixture current_;
  const std::string serial_;
  SimClock clock_;
};

}  // namespace orvulink::sim
