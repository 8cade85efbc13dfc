#include "send_report.hpp"

#include <array>

namespace orvulink::cli {
namespace {

struct StatusEntry {
  OrvuLink_StatusMessage status;
  std::string_view enumerator;
};

// The type library's names; the prefix is the same for all and says nothing to a reader.
constexpr std::string_view kPrefix = "ORVULINK_MESSAGESEND_";
constexpr std::array<StatusEntry, 10> kStatuses = {{
    {ORVULINK_MESSAGESEND_CANCELLED, "ORVULINK_MESSAGESEND_CANCELLED"},
    {ORVULINK_MESSAGESEND_ERRSENDER, "ORVULINK_MESSAGESEND_ERRSENDER"},
    {ORVULINK_MESSAGESEND_ERRPHONEGSM, "ORVULINK_MESSAGESEND_ERRPHONEGSM"},
    {ORVULINK_MESSAGESEND_ERRDATETIME, "ORVULINK_MESSAGESEND_ERRDATETIME"},
    {ORVULINK_MESSAGESEND_ERRDOUBLE, "ORVULINK_MESSAGESEND_ERRDOUBLE"},
    {ORVULINK_MESSAGESEND_ERRGATEWAY, "ORVULINK_MESSAGESEND_ERRGATEWAY"},
    {ORVULINK_MESSAGESEND_INCOMPLETE, "ORVULINK_MESSAGESEND_INCOMPLETE"},
    {ORVULINK_MESSAGESEND_TOSEND, "ORVULINK_MESSAGESEND_TOSEND"},
    {ORVULINK_MESSAGESEND_INSEND, "ORVULINK_MESSAGESEND_INSEND"},
    {ORVULINK_MESSAGESEND_FORWARD, "ORVULINK_MESSAGESEND_FORWARD"},
}};

}  // namespace

std::string JoinedIds(const std::vector<std::string>& ids) {
  std::string joined;
  for (const auto& id : ids)
    joined += (joined.empty() ? "" : ",") + id;
  return joined;
}

std::string_view StatusName(OrvuLink_StatusMessage status) {
  for (const auto& entry : kStatuses) {
    if (entry.status == status) return entry.enumerator.substr(kPrefix.size());
  }
  return "UNKNOWN";
}

nlohmann::ordered_json MessagesJson(const std::vector<SentMessage>& messages) {
  auto array = nlohmann::ordered_json::array();
  for (const auto& message : messages) {
    nlohmann::ordered_json entry;
    entry["PhoneGsm"] = message.phone;
    entry["Text"] = message.text;
    entry["Sender"] = message.sender;
    entry["DateTime"] = message.date.FormatGeneral();
    entry["NumSMS"] = message.parts;
    entry["Status"] = static_cast<std::int32_t>(message.status);
    entry["StatusName"] = StatusName(message.status);
    entry["OrderID"] = message.order_ids;
    array.push_back(std::move(entry));
  }
  return array;
}

std::vector<std::string> MessageTableHeadings() {
  return {"PhoneGsm", "Status", "NumSMS", "OrderID"};
}

std::vector<std::vector<std::string>> MessageTableRows(const std::vector<SentMessage>& messages) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(messages.size());
  for (const auto& message : messages) {
    rows.push_back({message.phone, std::string(StatusName(message.status)),
                    std::to_string(message.parts), JoinedIds(message.order_ids)});
  }
  return rows;
}

}  // namespace orvulink::cli
