// The send date as a user types it: "YYYY-MM-DD HH:MM", local time, for --at and the list files.
#pragma once

#include <orvulink/automation.hpp>

#include <optional>
#include <string_view>

namespace orvulink::cli {

inline constexpr std::string_view kSendTimeFormat = "YYYY-MM-DD HH:MM";

// The calendar fields of `text`, or nothing when it is not exactly that form or names a day or
// time that does not exist (2024-02-30, 25:00). Blanks around the text are allowed.
std::optional<DateParts> ParseSendTime(std::string_view text);

}  // namespace orvulink::cli
