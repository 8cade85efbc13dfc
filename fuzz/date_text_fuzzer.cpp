// Dates in text: the gateway's "yyyy-mm-dd[ HH:MM[:SS]]" read into a date that prints back as
// the same fields, and the send-date text of an outgoing message, which must read back as the
// date it was written from.
#include "automation_errors.hpp"
#include "fuzz_support.hpp"
#include "platform/date_text.hpp"
#include "platform/runtime_error.hpp"
#include "send/message_rules.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

using namespace orvulink;

bool Digit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// The fields of the fixed layout, blanks (space, TAB) around it ignored; nothing for any other
// layout. Calendar validity is not judged here.
std::optional<DateParts> ReferenceLayout(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
    text.remove_suffix(1);
  // '9' stands for a digit; the three layouts the reader accepts.
  static constexpr std::u16string_view kLayouts[] = {u"9999-99-99", u"9999-99-99 99:99",
                                                     u"9999-99-99 99:99:99"};
  bool matches = false;
  for (std::u16string_view layout : kLayouts) {
    if (layout.size() != text.size()) continue;
    matches = true;
    for (std::size_t i = 0; i < layout.size(); ++i) {
      const bool ok = layout[i] == u'9' ? Digit(text[i]) : text[i] == layout[i];
      matches = matches && ok;
    }
    if (matches) break;
  }
  if (!matches) return std::nullopt;
  auto number = [&](std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i)
      value = value * 10 + (text[i] - u'0');
    return value;
  };
  DateParts parts{number(0, 4), number(5, 2), number(8, 2), 0, 0, 0};
  if (text.size() >= 16) {
    parts.hour = number(11, 2);
    parts.minute = number(14, 2);
  }
  if (text.size() == 19) parts.second = number(17, 2);
  return parts;
}

void CheckTextToDate(std::u16string_view text) {
  Date date;
  const std::int32_t raised = fuzz::RaisedNumber([&] { date = platform::TextToDate(text); });
  const std::optional<DateParts> layout = ReferenceLayout(text);
  if (!layout) {
    ORVULINK_FUZZ_CHECK(raised == platform::kErrTypeMismatch);
    return;
  }
  if (raised != 0) {
    ORVULINK_FUZZ_CHECK(raised == platform::kErrInvalidCall);
    return;
  }
  ORVULINK_FUZZ_CHECK(date.ToParts() == *layout);
  char expected[32];
  std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d", layout->year,
                layout->month, layout->day, layout->hour, layout->minute, layout->second);
  ORVULINK_FUZZ_CHECK(date.FormatGeneral() == expected);
}

// Any date a host passes: its send-date text names a minute that reads back as itself.
void CheckSendDate(double value) {
  const std::optional<std::u16string> text = send::SendDateText(Date(value));
  if (!text) return;
  if (*text == u"NOW") {
    ORVULINK_FUZZ_CHECK(value == 0.0);
    return;
  }
  ORVULINK_FUZZ_CHECK(text->size() == 16);
  Date read;
  const std::int32_t raised = fuzz::RaisedNumber([&] { read = send::DateFromSendDateText(*text); });
  ORVULINK_FUZZ_CHECK(raised == 0);
  ORVULINK_FUZZ_CHECK(!read.IsZero());
  ORVULINK_FUZZ_CHECK(send::SendDateText(read) == text);
  // Seconds are dropped: the minute read back is the date's own.
  ORVULINK_FUZZ_CHECK(read.ToParts().minute == Date(value).ToParts().minute);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckTextToDate(fuzz::UnitsFromBytes(data, size));
  if (size == sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    CheckSendDate(value);
  } else if (size >= 4) {
    // Days and fractions around the calendar's edges are rare among raw doubles.
    std::int32_t days = 0;
    std::memcpy(&days, data, sizeof days);
    CheckSendDate(static_cast<double>(days % 3000000) + (size > 4 ? data[4] / 256.0 : 0.0));
  }
  return 0;
}
