#include "sim/orders.hpp"

#include <algorithm>

namespace orvulink::sim {

void OrderBook::AddRecipient(const std::string& order_id, std::string phone) {
  orders_[order_id].recipients.push_back(Recipient{std::move(phone), std::nullopt});
}

void OrderBook::AddOrder(const std::string& order_id, Order order) {
  orders_[order_id] = std::move(order);
}

std::string OrderBook::NewOrderId(std::string_view prefix) {
  for (;;) {
    std::string id = std::string(prefix) + std::to_string(next_serial_++);
    if (!orders_.contains(id)) return id;
  }
}

const Order* OrderBook::Find(std::string_view order_id) const {
  const auto order = orders_.find(order_id);
  return order == orders_.end() ? nullptr : &order->second;
}

std::size_t OrderBook::Delete(const std::string& order_id, std::string_view phone) {
  const auto order = orders_.find(order_id);
  if (order == orders_.end()) return 0;
  auto& recipients = order->second.recipients;
  const std::size_t before = recipients.size();
  if (phone == kEveryRecipient) {
    recipients.clear();
  } else {
    std::erase_if(recipients, [phone](const Recipient& r) { return r.phone == phone; });
  }
  const std::size_t deleted = before - recipients.size();
  if (recipients.empty()) orders_.erase(order);
  return deleted;
}

std::size_t OrderBook::SettleAt(SimTime now) {
  std::size_t settled = 0;
  for (auto& [order_id, order] : orders_) {
    for (auto& recipient : order.recipients) {
      if (recipient.delivery && sim::SettleAt(*recipient.delivery, now)) ++settled;
    }
  }
  return settled;
}

}  // namespace orvulink::sim
