// The orders an account has sent: order ID to its recipients.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::sim {

struct Recipient {
  std::string phone;  // international form, "+" and digits
};

struct Order {
  std::vector<Recipient> recipients;
};

class OrderBook {
 public:
  // The phone "+" alone names every recipient of the order.
  static constexpr std::string_view kEveryRecipient = "+";

  void AddRecipient(const std::string& order_id, std::string phone);

  // Deletes the matching recipients, and the order once it has none left; returns how many.
  std::size_t Delete(const std::string& order_id, std::string_view phone);

  const std::map<std::string, Order, std::less<>>& orders() const noexcept { return orders_; }

 private:
  std::map<std::string, Order, std::less<>> orders_;
};

}  // namespace orvulink::sim
