#include "sim/status_command.hpp"

#include <optional>
#include <string>
#include <vector>

#include "sim/local_time.hpp"

namespace orvulink::sim {
namespace {

constexpr std::string_view kNothingKnown = "NULL";
constexpr std::string_view kServiceClosed =
    "<pre>The delivery status service is not available to this account</pre>";
// The gateway's placeholders for a time it does not know; the client reads them as "now".
constexpr std::string_view kUnknownDate = "0000-00-00";
constexpr std::string_view kUnknownTime = "00:00:00";

struct QueryItem {
  std::string order_id;
  std::string phone;  // "": every recipient
};

std::optional<std::vector<QueryItem>> ParseQuery(std::string_view query) {
  std::vector<QueryItem> items;
  for (;;) {
    const std::size_t end = query.find(';');
    const std::string_view item = query.substr(0, end);
    const std::size_t colon = item.find(':');
    if (colon == 0 || colon == std::string_view::npos) return std::nullopt;
    // An ID holding the answer's own separators could not come back in a readable line.
    if (item.find_first_of("\t\r\n") != std::string_view::npos) return std::nullopt;
    items.push_back(
        QueryItem{std::string(item.substr(0, colon)), std::string(item.substr(colon + 1))});
    if (end == std::string_view::npos) return items;
    query.remove_prefix(end + 1);
  }
}

std::string Entry(const Recipient& recipient, SimTime now) {
  const DeliveryStatus status = StatusAt(recipient.delivery, now);
  std::string entry = status.since ? FormatLocalDate(*status.since) : std::string(kUnknownDate);
  entry += ",";
  entry += status.since ? FormatLocalTime(*status.since) : std::string(kUnknownTime);
  entry += "," + recipient.phone + "," + std::to_string(status.state);
  if (status.reason) entry += "," + std::to_string(*status.reason);
  return entry;
}

std::string Entries(const Order* order, const std::string& phone, SimTime now) {
  std::string entries;
  if (order == nullptr) return std::string(kNothingKnown);
  for (const auto& recipient : order->recipients) {
    if (!phone.empty() && recipient.phone != phone) continue;
    entries += (entries.empty() ? "" : ";") + Entry(recipient, now);
  }
  return entries.empty() ? std::string(kNothingKnown) : entries;
}

}  // namespace

Answer StatusCommand(CommandContext& context) {
  const auto items = ParseQuery(context.Field("QUERYDATA"));
  if (!items) return Failure(result_code::kCgiError);
  if (!context.gateway.status_service || !context.account.status_query) {
    return Answer{std::string(result_code::kGatewayMessage), std::string(kServiceClosed)};
  }
  std::string lines;
  for (const auto& item : *items) {
    if (!lines.empty()) lines += "\r\n";
    const Order* order = context.account.orders.Find(item.order_id);
    lines += item.order_id + "\t" + Entries(order, item.phone, context.now);
  }
  return Success(std::move(lines));
}

}  // namespace orvulink::sim
