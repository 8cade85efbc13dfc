#include "sim/orders.hpp"

#include <algorithm>

namespace orvulink::sim {

void OrderBook::AddRecipient(const std::string& order_id, std::string phone) {
  orders_[order_id].recipients.push_back(Recipient{std::move(phone)});
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

}  // namespace orvulink::sim
