#include "send_time.hpp"

#include <charconv>
#include <chrono>

namespace orvulink::cli {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Exactly `width` decimal digits at `position`; from_chars alone would also take a sign.
std::optional<int> Digits(std::string_view text, std::size_t position, std::size_t width) {
  const std::string_view field = text.substr(position, width);
  if (field.size() != width) return std::nullopt;
  for (const char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  int value = 0;
  std::from_chars(field.data(), field.data() + field.size(), value);
  return value;
}

bool SeparatorsAt(std::string_view text) {
  return text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':';
}

// Date::FromParts refuses out-of-range fields with an automation error; a typing mistake
// deserves a plain "bad date" instead, so the calendar is checked here first.
bool Exists(const DateParts& parts) {
  const std::chrono::year_month_day day{std::chrono::year(parts.year),
                                        std::chrono::month(static_cast<unsigned>(parts.month)),
                                        std::chrono::day(static_cast<unsigned>(parts.day))};
  return day.ok() && parts.year >= 100 && parts.hour <= 23 && parts.minute <= 59;
}

}  // namespace

std::optional<DateParts> ParseSendTime(std::string_view text) {
  text = Trimmed(text);
  if (text.size() != kSendTimeFormat.size() || !SeparatorsAt(text)) return std::nullopt;
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2);
  const auto minute = Digits(text, 14, 2);
  if (!year || !month || !day || !hour || !minute) return std::nullopt;
  const DateParts parts{*year, *month, *day, *hour, *minute, 0};
  if (!Exists(parts)) return std::nullopt;
  return parts;
}

}  // namespace orvulink::cli
