#include "sim/local_time.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <ctime>

namespace orvulink::sim {
namespace {

// A fixed-width run of decimal digits, no sign.
std::optional<int> Digits(std::string_view text) {
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool IsCalendarDay(int year, int month, int day) {
  using namespace std::chrono;
  return year >= 1 &&
         year_month_day{std::chrono::year{year}, std::chrono::month(month), std::chrono::day(day)}
             .ok();
}

std::string Format(SimTime at, const char* format) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
  std::tm local{};
  localtime_r(&seconds, &local);
  std::array<char, 32> buffer{};
  const std::size_t size = std::strftime(buffer.data(), buffer.size(), format, &local);
  return std::string(buffer.data(), size);
}

}  // namespace

std::optional<LocalMinute> ParseLocalMinute(std::string_view date, std::string_view hh_mm) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return std::nullopt;
  if (hh_mm.size() != 5 || hh_mm[2] != ':') return std::nullopt;
  const auto year = Digits(date.substr(0, 4));
  const auto month = Digits(date.substr(5, 2));
  const auto day = Digits(date.substr(8, 2));
  const auto hour = Digits(hh_mm.substr(0, 2));
  const auto minute = Digits(hh_mm.substr(3, 2));
  if (!year || !month || !day || !hour || !minute) return std::nullopt;
  if (!IsCalendarDay(*year, *month, *day) || *hour > 23 || *minute > 59) return std::nullopt;
  return LocalMinute{*year, *month, *day, *hour, *minute};
}

SimTime ToSimTime(const LocalMinute& minute) {
  std::tm local{};
  local.tm_year = minute.year - 1900;
  local.tm_mon = minute.month - 1;
  local.tm_mday = minute.day;
  local.tm_hour = minute.hour;
  local.tm_min = minute.minute;
  local.tm_isdst = -1;  // whatever the zone's rule is on that day
  const std::int64_t seconds = std::mktime(&local);
  // SimTime counts nanoseconds, which reach about 292 years either side of 1970, while a send
  // date may name any year up to 9999: a date beyond the reach is held at its edge, a day short
  // of it so that the delivery steps scheduled after the date still fit.
  constexpr std::int64_t kReach =
      std::chrono::duration_cast<std::chrono::seconds>(SimTime::duration::max()).count() - 86400;
  const std::chrono::seconds held(std::clamp(seconds, -kReach, kReach));
  return SimTime(std::chrono::duration_cast<SimTime::duration>(held));
}

std::string FormatLocalDate(SimTime at) {
  return Format(at, "%Y-%m-%d");
}

std::string FormatLocalTime(SimTime at) {
  return Format(at, "%H:%M:%S");
}

}  // namespace orvulink::sim
