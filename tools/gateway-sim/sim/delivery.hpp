// The delivery of one message to one recipient, scheduled when the gateway accepts it: at the
// gateway, then with the network operator, then delivered or failed.
#pragma once

#include <chrono>
#include <optional>

#include "sim/sim_clock.hpp"

namespace orvulink::sim {

// The status codes the status query reports.
namespace delivery_state {
inline constexpr int kAtGateway = 0;
inline constexpr int kAtOperator = 2;
inline constexpr int kDelivered = 3;
inline constexpr int kOperatorError = -2;
}  // namespace delivery_state

// How long each step takes once the message is due to go out.
inline constexpr std::chrono::seconds kToOperator{1};
inline constexpr std::chrono::seconds kToFinal{3};

struct Delivery {
  SimTime accepted_at;
  SimTime operator_at;
  SimTime final_at;
  int final_state = delivery_state::kDelivered;
  std::optional<int> reason;  // why it failed
};

// `due` is when the message goes out: the send time, or a later send date it was given.
Delivery ScheduleDelivery(SimTime accepted_at, SimTime due, std::optional<int> failure_reason);

struct DeliveryStatus {
  int state = delivery_state::kAtGateway;
  std::optional<SimTime> since;  // none: a recipient from the fixture, with no history
  std::optional<int> reason;
};

// A recipient without a schedule came with the fixture: long delivered, time unknown.
DeliveryStatus StatusAt(const std::optional<Delivery>& delivery, SimTime now);

// Brings every step still ahead to `now`; true when that changed anything.
bool SettleAt(Delivery& delivery, SimTime now);

}  // namespace orvulink::sim
