#include "sim/delivery.hpp"

#include <algorithm>

namespace orvulink::sim {

Delivery ScheduleDelivery(SimTime accepted_at, SimTime due, std::optional<int> failure_reason) {
  const SimTime start = std::max(accepted_at, due);
  Delivery delivery{accepted_at, start + kToOperator, start + kToFinal, delivery_state::kDelivered,
                    std::nullopt};
  if (failure_reason) {
    delivery.final_state = delivery_state::kOperatorError;
    delivery.reason = failure_reason;
  }
  return delivery;
}

DeliveryStatus StatusAt(const std::optional<Delivery>& delivery, SimTime now) {
  if (!delivery) return DeliveryStatus{delivery_state::kDelivered, std::nullopt, std::nullopt};
  if (now >= delivery->final_at) {
    return DeliveryStatus{delivery->final_state, delivery->final_at, delivery->reason};
  }
  if (now >= delivery->operator_at) {
    return DeliveryStatus{delivery_state::kAtOperator, delivery->operator_at, std::nullopt};
  }
  return DeliveryStatus{delivery_state::kAtGateway, delivery->accepted_at, std::nullopt};
}

bool SettleAt(Delivery& delivery, SimTime now) {
  if (delivery.final_at <= now) return false;
  delivery.accepted_at = std::min(delivery.accepted_at, now);
  delivery.operator_at = std::min(delivery.operator_at, now);
  delivery.final_at = now;
  return true;
}

}  // namespace orvulink::sim
