// What `orvulink status` prints: a table for people (one block of rows per order ID), an
// array for scripts keyed by the members' names.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "status_query.hpp"

namespace orvulink::cli {

// Enumerator names without their common prefix ("CORRECTED", "DELIVERED", "BLOCKUSER"); a
// value the type library does not name is shown as its number.
std::string VerdictName(OrvuLink_StateOrederID verdict);
std::string DeliveryName(OrvuLink_StateNotify status);
std::string ReasonName(OrvuLink_CodeReason reason);

// One object per order ID: OrderID, Status, StatusName, Recipients (PhoneGsm, Status,
// StatusName, ReasonCode, ReasonName, DateTime; DateTime null when the gateway gave none).
nlohmann::ordered_json StatusJson(const std::vector<OrderStatus>& orders);

// Headings and one row per recipient (one for an order ID without any): order ID, verdict,
// number, status, reason ("none" for INDEFINITE, which only says no reason was given) and
// time. With `grouped`, an order's rows after its first leave the order ID and verdict blank,
// so that each order reads as a block; otherwise every row is whole, for cut and awk.
std::vector<std::string> StatusTableHeadings();
std::vector<std::vector<std::string>> StatusTableRows(const std::vector<OrderStatus>& orders,
                                                      bool grouped);

}  // namespace orvulink::cli
