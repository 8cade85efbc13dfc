// Dates and times as text, both ways. One fixed layout, whatever the system's locale:
// "yyyy-mm-dd", optionally followed by a blank and "HH:MM" or "HH:MM:SS".
#pragma once

#include <orvulink/automation.hpp>

#include <string>
#include <string_view>

namespace orvulink::platform {

// The local date and time the text names; blanks around it are ignored. Text of another layout
// raises 13 (type mismatch), a date that does not exist raises 5.
Date TextToDate(std::u16string_view text);

enum class DateLayout {
  kDay,          // yyyy-mm-dd
  kTimeOfDay,    // HH:MM:SS
  kToTheMinute,  // yyyy-mm-dd HH:MM
  kToTheSecond,  // yyyy-mm-dd HH:MM:SS
};
// The calendar fields in `layout`, digits zero-padded.
std::string FormatDateParts(const DateParts& parts, DateLayout layout);

}  // namespace orvulink::platform
