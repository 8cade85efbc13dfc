#include "status_query.hpp"

#include <algorithm>

namespace orvulink::cli {
namespace {

void AddOrder(OrvuNotifiedMessages& list, const OrderQuery& order) {
  if (order.phones.empty()) {
    list.AddMessage(order.order_id);
    return;
  }
  for (const auto& phone : order.phones)
    list.AddMessage(order.order_id, phone);
}

OrderStatus Snapshot(const OrvuNotifiedOrderID& order) {
  OrderStatus copy{order.OrderID().utf8(), order.Status(), {}};
  for (const auto& recipient : order) {
    copy.recipients.push_back(RecipientStatus{recipient->PhoneGsm().utf8(), recipient->Status(),
                                              recipient->ReasonCode(), recipient->DateTime()});
  }
  return copy;
}

void QueryBatch(OrvuNotifiedMessages& list, std::vector<OrderQuery>::const_iterator first,
                std::vector<OrderQuery>::const_iterator last, std::vector<OrderStatus>& results) {
  list.Clear();
  for (auto order = first; order != last; ++order)
    AddOrder(list, *order);
  list.GetStatusNotify();
  for (const auto& order : list)
    results.push_back(Snapshot(*order));
  list.Clear();
}

}  // namespace

std::vector<OrderStatus> QueryStatuses(OrvuNotifiedMessages& list,
                                       const std::vector<OrderQuery>& orders) {
  std::vector<OrderStatus> results;
  results.reserve(orders.size());
  const auto capacity = static_cast<std::size_t>(std::max<std::int16_t>(list.MaxListToNotify(), 1));
  for (std::size_t start = 0; start < orders.size(); start += capacity) {
    const std::size_t end = std::min(orders.size(), start + capacity);
    QueryBatch(list, orders.begin() + static_cast<std::ptrdiff_t>(start),
               orders.begin() + static_cast<std::ptrdiff_t>(end), results);
  }
  return results;
}

bool IsFinal(OrvuLink_StateNotify status) {
  return status == ORVULINK_STATE_DELIVERED || status < 0;
}

std::size_t FinalCount(const std::vector<OrderStatus>& orders) {
  std::size_t count = 0;
  for (const auto& order : orders)
    count += static_cast<std::size_t>(
        std::count_if(order.recipients.begin(), order.recipients.end(),
                      [](const RecipientStatus& recipient) { return IsFinal(recipient.status); }));
  return count;
}

std::size_t RecipientCount(const std::vector<OrderStatus>& orders) {
  std::size_t count = 0;
  for (const auto& order : orders)
    count += order.recipients.size();
  return count;
}

}  // namespace orvulink::cli
