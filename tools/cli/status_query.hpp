// Delivery statuses through the control's status list: the order IDs in as many queries as the
// list's capacity needs, the results copied out before the list is cleared for the next one.
#pragma once

#include <orvulink/notify.hpp>

#include <cstddef>
#include <string>
#include <vector>

#include "status_entries.hpp"

namespace orvulink::cli {

struct RecipientStatus {
  std::string phone;
  OrvuLink_StateNotify status = ORVULINK_STATE_TONOTIFY;
  OrvuLink_CodeReason reason = ORVULINK_CODEREASON_INDEFINITE;
  Date date;  // the zero date: the gateway gave no time
};

struct OrderStatus {
  std::string order_id;
  OrvuLink_StateOrederID verdict = ORVULINK_ORDERID_TOVERIFY;
  std::vector<RecipientStatus> recipients;
};

// Asks about every order, at most list.MaxListToNotify() order IDs per gateway command. The
// list answers each order ID once, so every call starts from a cleared list: calling again
// polls afresh. Results keep the order of `orders`.
std::vector<OrderStatus> QueryStatuses(OrvuNotifiedMessages& list,
                                       const std::vector<OrderQuery>& orders);

// Delivered, or failed for good (every negative status): nothing more will change.
bool IsFinal(OrvuLink_StateNotify status);

// Recipients in a final status, out of all recipients listed.
std::size_t FinalCount(const std::vector<OrderStatus>& orders);
std::size_t RecipientCount(const std::vector<OrderStatus>& orders);

}  // namespace orvulink::cli
