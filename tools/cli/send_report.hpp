// What `orvulink send` prints of the messages: a table for people, an array for scripts.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

#include "send_batches.hpp"

namespace orvulink::cli {

// The enumerator's name without its ORVULINK_MESSAGESEND_ prefix: "FORWARD", "ERRGATEWAY".
std::string_view StatusName(OrvuLink_StatusMessage status);

// Order IDs as one field: joined by ",".
std::string JoinedIds(const std::vector<std::string>& ids);

// One object per message, keyed by the message's members; Status is the enumeration's value
// and StatusName its short name.
nlohmann::ordered_json MessagesJson(const std::vector<SentMessage>& messages);

// The table's headings and one row per message: PhoneGsm, the status's short name, NumSMS and
// the order IDs joined by ",".
std::vector<std::string> MessageTableHeadings();
std::vector<std::vector<std::string>> MessageTableRows(const std::vector<SentMessage>& messages);

}  // namespace orvulink::cli
