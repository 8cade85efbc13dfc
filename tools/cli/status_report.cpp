#include "status_report.hpp"

#include <array>
#include <string_view>

namespace orvulink::cli {
namespace {

template <class Enum>
struct Named {
  Enum value;
  std::string_view name;
};

constexpr std::array<Named<OrvuLink_StateOrederID>, 3> kVerdicts = {{
    {ORVULINK_ORDERID_NOTCORRECTED, "NOTCORRECTED"},
    {ORVULINK_ORDERID_TOVERIFY, "TOVERIFY"},
    {ORVULINK_ORDERID_CORRECTED, "CORRECTED"},
}};

constexpr std::array<Named<OrvuLink_StateNotify>, 7> kDeliveries = {{
    {ORVULINK_STATE_RESPINTO, "RESPINTO"},
    {ORVULINK_STATE_ERROPERATOR, "ERROPERATOR"},
    {ORVULINK_STATE_ERRGATEWAY, "ERRGATEWAY"},
    {ORVULINK_STATE_TONOTIFY, "TONOTIFY"},
    {ORVULINK_STATE_GETWAY, "GETWAY"},
    {ORVULINK_STATE_OPERATOR, "OPERATOR"},
    {ORVULINK_STATE_DELIVERED, "DELIVERED"},
}};

constexpr std::array<Named<OrvuLink_CodeReason>, 6> kReasons = {{
    {ORVULINK_CODEREASON_INDEFINITE, "INDEFINITE"},
    {ORVULINK_CODEREASON_PHONEGSM, "PHONEGSM"},
    {ORVULINK_CODEREASON_TIMEOUT, "TIMEOUT"},
    {ORVULINK_CODEREASON_BLOCKOPERATOR, "BLOCKOPERATOR"},
    {ORVULINK_CODEREASON_TIMEOUT2, "TIMEOUT2"},
    {ORVULINK_CODEREASON_BLOCKUSER, "BLOCKUSER"},
}};

// The gateway's numbers are stored as they come, so any value may arrive here.
template <class Enum, std::size_t N>
std::string NameOf(const std::array<Named<Enum>, N>& names, Enum value) {
  for (const auto& entry : names) {
    if (entry.value == value) return std::string(entry.name);
  }
  return std::to_string(static_cast<std::int32_t>(value));
}

nlohmann::ordered_json DateJson(const Date& date) {
  if (date.IsZero()) return nullptr;
  return date.FormatGeneral();
}

nlohmann::ordered_json RecipientJson(const RecipientStatus& recipient) {
  return {{"PhoneGsm", recipient.phone},
          {"Status", static_cast<std::int32_t>(recipient.status)},
          {"StatusName", DeliveryName(recipient.status)},
          {"ReasonCode", static_cast<std::int32_t>(recipient.reason)},
          {"ReasonName", ReasonName(recipient.reason)},
          {"DateTime", DateJson(recipient.date)}};
}

std::string ReasonCell(OrvuLink_CodeReason reason) {
  return reason == ORVULINK_CODEREASON_INDEFINITE ? "none" : ReasonName(reason);
}

std::vector<std::string> RecipientRow(const OrderStatus& order, const RecipientStatus& recipient,
                                      bool first_of_order, bool grouped) {
  const bool blank = grouped && !first_of_order;
  return {blank ? "" : order.order_id,
          blank ? "" : VerdictName(order.verdict),
          recipient.phone,
          DeliveryName(recipient.status),
          ReasonCell(recipient.reason),
          recipient.date.IsZero() ? "" : recipient.date.FormatGeneral()};
}

}  // namespace

std::string VerdictName(OrvuLink_StateOrederID verdict) {
  return NameOf(kVerdicts, verdict);
}

std::string DeliveryName(OrvuLink_StateNotify status) {
  return NameOf(kDeliveries, status);
}

std::string ReasonName(OrvuLink_CodeReason reason) {
  return NameOf(kReasons, reason);
}

nlohmann::ordered_json StatusJson(const std::vector<OrderStatus>& orders) {
  auto array = nlohmann::ordered_json::array();
  for (const auto& order : orders) {
    auto recipients = nlohmann::ordered_json::array();
    for (const auto& recipient : order.recipients)
      recipients.push_back(RecipientJson(recipient));
    array.push_back({{"OrderID", order.order_id},
                     {"Status", static_cast<std::int32_t>(order.verdict)},
                     {"StatusName", VerdictName(order.verdict)},
                     {"Recipients", std::move(recipients)}});
  }
  return array;
}

std::vector<std::string> StatusTableHeadings() {
  return {"OrderID", "Verdict", "PhoneGsm", "Status", "Reason", "DateTime"};
}

std::vector<std::vector<std::string>> StatusTableRows(const std::vector<OrderStatus>& orders,
                                                      bool grouped) {
  std::vector<std::vector<std::string>> rows;
  for (const auto& order : orders) {
    if (order.recipients.empty()) {
      rows.push_back({order.order_id, VerdictName(order.verdict), "", "", "", ""});
      continue;
    }
    for (std::size_t i = 0; i < order.recipients.size(); ++i)
      rows.push_back(RecipientRow(order, order.recipients[i], i == 0, grouped));
  }
  return rows;
}

}  // namespace orvulink::cli
