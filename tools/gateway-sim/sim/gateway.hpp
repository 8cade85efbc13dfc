// The simulated gateway: its accounts and the answer to each command string.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "sim/accounts.hpp"
#include "sim/answer.hpp"

namespace orvulink::sim {

// The component's own serial token, which the gateway accepts by default.
inline constexpr std::string_view kDefaultSerial = "OL7R2K9Q4M1X8C5V3N6B";

// Safe to call from the server's worker threads at once.
class Gateway {
 public:
  Gateway(AccountFixture fixture, std::string serial);

  // The answer to one command string as the client sent it; "98" when it is malformed.
  Answer Handle(std::string_view body);

  // Back to the accounts as loaded.
  void Reset();

  nlohmann::json AccountsJson() const;

 private:
  mutable std::mutex mutex_;
  const AccountFixture initial_;
  AccountFixture current_;
  const std::string serial_;
};

}  // namespace orvulink::sim
