// The orders an account has sent: order ID to its recipients and their deliveries.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/delivery.hpp"

namespace orvulink::sim {

struct Recipient {
  std::string phone;                 // international form, "+" and digits
  std::optional<Delivery> delivery;  // none for a recipient the fixture lists
};

struct Order {
  std::vector<Recipient> recipients;
  bool test = false;  // sent in test mode: nothing was charged for it
};

class OrderBook {
 public:
  // The phone "+" alone names every recipient of the order.
  static constexpr std::string_view kEveryRecipient = "+";

  void AddRecipient(const std::string& order_id, std::string phone);
  void AddOrder(const std::string& order_id, Order order);

  // An ID no order of this book has: the prefix and a serial number.
  std::string NewOrderId(std::string_view prefix);

  const Order* Find(std::string_view order_id) const;

  // Deletes the matching recipients, and the order once it has none left; returns how many.
  std::size_t Delete(const std::string& order_id, std::string_view phone);

  // Brings every pending delivery to its final state now; returns how many there were.
  std::size_t SettleAt(SimTime now);

  const std::map<std::string, Order, std::less<>>& orders() const noexcept { return orders_; }

 private:
  std::map<std::string, Order, std::less<>> orders_;
  unsigned next_serial_ = 1;
};

}  // namespace orvulink::sim
