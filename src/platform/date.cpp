// Automation dates: days since 1899-12-30 as a double, converted to and from calendar fields
// with plain proleptic Gregorian arithmetic. The value is local time already, so no time zone
// takes part.
#include <orvulink/automation.hpp>

#include "platform/date_text.hpp"
#include "platform/runtime_error.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace orvulink {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// The automation date range: 0100-01-01 to 9999-12-31, as day numbers.
constexpr double kFirstDay = -657434.0;
constexpr double kDayAfterLast = 2958466.0;

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a civil date (Gregorian, March-based years).
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, DateParts& parts) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  parts.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  parts.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  parts.year = static_cast<int>(yearOfEra + era * 400 + (parts.month <= 2 ? 1 : 0));
}

constexpr std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

bool IsValid(const DateParts& p) {
  return p.year >= 100 && p.year <= 9999 && p.month >= 1 && p.month <= 12 && p.day >= 1 &&
         p.day <= DaysInMonth(p.year, p.month) && p.hour >= 0 && p.hour <= 23 && p.minute >= 0 &&
         p.minute <= 59 && p.second >= 0 && p.second <= 59;
}

}  // namespace

Date Date::FromParts(const DateParts& parts) {
  if (!IsValid(parts)) platform::RaiseRuntimeError(platform::kErrInvalidCall);
  const auto days =
      static_cast<double>(DaysFromCivil(parts.year, parts.month, parts.day) - kEpochOffset);
  const double time = static_cast<double>(parts.hour * 3600 + parts.minute * 60 + parts.second) /
                      static_cast<double>(kSecondsPerDay);
  // Before the epoch the whole part counts days back while the time still counts forward.
  return Date(days < 0 ? days - time : days + time);
}

DateParts Date::ToParts() const {
  if (!std::isfinite(value) || value <= kFirstDay - 1.0 || value >= kDayAfterLast) {
    platform::RaiseRuntimeError(platform::kErrInvalidCall);
  }
  const double whole = std::trunc(value);
  auto days = static_cast<std::int64_t>(whole);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kSecondsPerDay));
  if (seconds == kSecondsPerDay) {
    ++days;  // a time that rounds up to midnight belongs to the next calendar day
    seconds = 0;
  }
  // The last second of the last day rounding up to the day after it leaves the range as well.
  if (static_cast<double>(days) >= kDayAfterLast) {
    platform::RaiseRuntimeError(platform::kErrInvalidCall);
  }
  DateParts parts;
  CivilFromDays(days + kEpochOffset, parts);
  parts.hour = static_cast<int>(seconds / 3600);
  parts.minute = static_cast<int>(seconds / 60 % 60);
  parts.second = static_cast<int>(seconds % 60);
  return parts;
}

std::string Date::FormatGeneral() const {
  return platform::FormatDateParts(ToParts(), platform::DateLayout::kToTheSecond);
}

}  // namespace orvulink
