// SENDDATA, the send command's list of messages: one line per send group.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/local_time.hpp"

namespace orvulink::sim {

struct SendLine {
  std::string group;  // decimal digits, echoed in the answer
  std::string sender;
  std::vector<std::string> recipients;  // as sent, none empty
  std::string text;
  std::optional<LocalMinute> send_at;  // none: at once
};

// The value as it stood in the command string, not decoded as a whole: lines are joined by
// CR LF and their six fields (group, sender, recipients joined by ",", text, date, time) by
// TAB, those separators unencoded and each field %-encoded on its own, so an encoded TAB in a
// text stays text. The date is "yyyy-mm-dd" and the time "HH:MM", or "0000-00-00" and
// "00:00" for at once. Nothing when any line is malformed.
std::optional<std::vector<SendLine>> ParseSendData(std::string_view raw);

}  // namespace orvulink::sim
