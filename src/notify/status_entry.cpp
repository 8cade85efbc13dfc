#include "notify/access.hpp"
#include "notify/status_query.hpp"
#include "platform/clock.hpp"
#include "platform/conversions.hpp"
#include "platform/date_text.hpp"
#include "platform/text.hpp"
#include "platform/unit_scan.hpp"

#include <cstdio>
#include <optional>
#include <utility>

namespace orvulink::notify {
namespace {

// Looked for from each "-" and ":", which are few, rather than from each "0": one pass.
bool HasPlaceholder(std::u16string_view entry) {
  static constexpr std::u16string_view kDay = u"0000-00-00";
  static constexpr std::u16string_view kTime = u"00:00:00";
  bool found = false;
  platform::ForEachMatch(entry, u'-', u':', [&](std::size_t at) {
    found = entry[at] == u'-' ? at >= 4 && entry.substr(at - 4).starts_with(kDay)
                              : at >= 2 && entry.substr(at - 2).starts_with(kTime);
    return !found;
  });
  return found;
}

// "0000-00-00" and "00:00:00" stand for today and for now.
std::u16string WithPresentFilledIn(std::u16string_view entry) {
  const DateParts now = platform::Now().ToParts();
  const std::u16string today =
      platform::Utf8ToUtf16(platform::FormatDateParts(now, platform::DateLayout::kDay));
  const std::u16string time =
      platform::Utf8ToUtf16(platform::FormatDateParts(now, platform::DateLayout::kTimeOfDay));
  return platform::ReplaceAll(platform::ReplaceAll(entry, u"0000-00-00", today), u"00:00:00", time);
}

// "yyyy-mm-dd" and "HH:MM:SS" exactly, digit by digit: what the gateway writes.
std::optional<DateParts> CanonicalParts(std::u16string_view date, std::u16string_view time) {
  static constexpr std::u16string_view kDateShape = u"0000-00-00";
  static constexpr std::u16string_view kTimeShape = u"00:00:00";
  const auto fits = [](std::u16string_view text, std::u16string_view shape) {
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool digit = text[i] >= u'0' && text[i] <= u'9';
      if (shape[i] == u'0' ? !digit : text[i] != shape[i]) return false;
    }
    return true;
  };
  if (!fits(date, kDateShape) || !fits(time, kTimeShape)) return std::nullopt;
  const auto number = [](std::u16string_view text, std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i)
      value = value * 10 + (text[i] - u'0');
    return value;
  };
  return DateParts{number(date, 0, 4), number(date, 5, 2), number(date, 8, 2),
                   number(time, 0, 2), number(time, 3, 2), number(time, 6, 2)};
}

// The same reading as sscanf("%4d-%2d-%2d %2d:%2d:%2d"), which also takes signs, blanks and
// short fields; tried only when the exact shape does not fit.
std::optional<DateParts> LenientParts(std::u16string_view date, std::u16string_view time) {
  const std::string text = platform::Utf16ToUtf8(date) + " " + platform::Utf16ToUtf8(time);
  DateParts parts;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &parts.year, &parts.month, &parts.day,
                  &parts.hour, &parts.minute, &parts.second, &rest) != 6) {
    return std::nullopt;
  }
  return parts;
}

std::optional<Date> LocalDateTime(std::u16string_view date, std::u16string_view time) {
  auto parts = CanonicalParts(date, time);
  if (!parts) parts = LenientParts(date, time);
  if (!parts) return std::nullopt;
  try {
    return Date::FromParts(*parts);
  } catch (const AutomationError&) {
    return std::nullopt;
  }
}

// Plain digits, perhaps after a minus, as the gateway writes its codes: read without the
// general conversion, which gives the same number.
std::optional<std::int32_t> PlainWholeNumber(std::u16string_view text) {
  const std::size_t sign = !text.empty() && text.front() == u'-' ? 1 : 0;
  if (text.size() <= sign || text.size() - sign > 9) return std::nullopt;
  std::int32_t value = 0;
  for (std::size_t i = sign; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    value = value * 10 + (text[i] - u'0');
  }
  return sign ? -value : value;
}

std::optional<std::int32_t> WholeNumber(std::u16string_view text) {
  if (auto plain = PlainWholeNumber(text)) return plain;
  try {
    return platform::TextToLong(text);
  } catch (const AutomationError&) {
    return std::nullopt;
  }
}

// Status code 0 means accepted by the gateway; an unreadable one counts the same.
OrvuLink_StateNotify StatusFrom(std::u16string_view field) {
  const auto code = WholeNumber(field);
  if (!code || *code == 0) return ORVULINK_STATE_GETWAY;
  return static_cast<OrvuLink_StateNotify>(*code);
}

// The five fields of an entry, viewing it, and how many it has (more than five are counted).
struct EntryFields {
  std::u16string_view at[5];
  std::size_t size = 0;
};

std::shared_ptr<OrvuNotifiedMessage> ChooseRecipient(OrvuNotifiedOrderID& orderId,
                                                     const EntryFields& fields) {
  if (!Access::PhoneSelected(orderId)) return Access::NewRecipient();
  if (fields.size < 3) return nullptr;
  return Access::Recipients(orderId).Find(fields.at[2]);
}

}  // namespace

void ApplyStatusEntry(OrvuNotifiedOrderID& orderId, std::u16string_view entry) {
  // Most entries carry their own time: the clock is read only for those that do not.
  std::u16string filled;
  if (HasPlaceholder(entry)) filled = WithPresentFilledIn(entry);
  EntryFields fields;
  fields.size = platform::SplitFirst(filled.empty() ? entry : filled, u",", fields.at);
  auto recipient = ChooseRecipient(orderId, fields);
  if (!recipient) return;
  const bool created = !Access::PhoneSelected(orderId);
  if (fields.size >= 2) {
    if (auto date = LocalDateTime(fields.at[0], fields.at[1])) Access::DateTime(*recipient) = *date;
  }
  if (fields.size >= 3) Access::SetPhoneGsm(*recipient, fields.at[2]);
  if (fields.size == 5) {
    if (auto reason = WholeNumber(fields.at[4])) {
      Access::ReasonCode(*recipient) = static_cast<OrvuLink_CodeReason>(*reason);
    }
  } else {
    Access::ReasonCode(*recipient) = ORVULINK_CODEREASON_INDEFINITE;
  }
  Access::Status(*recipient) = StatusFrom(fields.size >= 4 ? fields.at[3] : std::u16string_view());
  // A number the order ID already has keeps its first recipient.
  if (!created) return;
  const std::u16string_view phone = Access::PhoneGsm(*recipient);
  Access::Recipients(orderId).Add(phone, std::move(recipient));
}

}  // namespace orvulink::notify
