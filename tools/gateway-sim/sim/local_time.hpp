// Calendar dates and times of day as the gateway writes and reads them, in local time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/sim_clock.hpp"

namespace orvulink::sim {

struct LocalMinute {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
};

// "yyyy-mm-dd" and "HH:MM" naming a real calendar day and time of day; nothing otherwise.
std::optional<LocalMinute> ParseLocalMinute(std::string_view date, std::string_view hh_mm);

SimTime ToSimTime(const LocalMinute& minute);

// "yyyy-mm-dd" and "HH:MM:SS" of a moment in local time.
std::string FormatLocalDate(SimTime at);
std::string FormatLocalTime(SimTime at);

}  // namespace orvulink::sim
