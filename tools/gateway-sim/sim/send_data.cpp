#include "sim/send_data.hpp"

#include <algorithm>
#include <array>

#include "sim/command_parser.hpp"
#include "sim/windows1252.hpp"

namespace orvulink::sim {
namespace {

constexpr std::size_t kFieldsPerLine = 6;
constexpr std::string_view kAtOnceDate = "0000-00-00";
constexpr std::string_view kAtOnceTime = "00:00";

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + separator.size());
  }
}

std::optional<std::array<std::string, kFieldsPerLine>> DecodeFields(std::string_view line) {
  const auto raw_fields = Split(line, "\t");
  if (raw_fields.size() != kFieldsPerLine) return std::nullopt;
  std::array<std::string, kFieldsPerLine> fields;
  for (std::size_t i = 0; i < kFieldsPerLine; ++i) {
    const auto bytes = PercentDecode(raw_fields[i]);
    if (!bytes) return std::nullopt;
    fields[i] = Utf8FromWindows1252(*bytes);
  }
  return fields;
}

bool IsGroupNumber(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "At once" is both placeholders together; anything else must be a real date and time.
std::optional<std::optional<LocalMinute>> SendTime(std::string_view date, std::string_view time) {
  if (date == kAtOnceDate) {
    if (time != kAtOnceTime) return std::nullopt;
    return std::optional<LocalMinute>();
  }
  const auto minute = ParseLocalMinute(date, time);
  if (!minute) return std::nullopt;
  return minute;
}

std::optional<std::vector<std::string>> Recipients(std::string_view list) {
  std::vector<std::string> recipients;
  for (const std::string_view phone : Split(list, ",")) {
    if (phone.empty()) return std::nullopt;
    recipients.emplace_back(phone);
  }
  return recipients;
}

std::optional<SendLine> ParseLine(std::string_view line) {
  const auto fields = DecodeFields(line);
  if (!fields) return std::nullopt;
  const auto& [group, sender, recipients, text, date, time] = *fields;
  const auto send_at = SendTime(date, time);
  const auto phones = Recipients(recipients);
  if (!IsGroupNumber(group) || !send_at || !phones) return std::nullopt;
  return SendLine{group, sender, *phones, text, *send_at};
}

}  // namespace

std::optional<std::vector<SendLine>> ParseSendData(std::string_view raw) {
  std::vector<SendLine> lines;
  for (const std::string_view text : Split(raw, "\r\n")) {
    auto line = ParseLine(text);
    if (!line) return std::nullopt;
    lines.push_back(std::move(*line));
  }
  return lines;
}

}  // namespace orvulink::sim
