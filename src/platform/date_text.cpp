#include "platform/date_text.hpp"

#include "platform/runtime_error.hpp"

#include <cstdio>

#include <cstddef>

namespace orvulink::platform {
namespace {

// Walks the text left to right; any departure from the layout is a type mismatch.
class DateReader {
 public:
  explicit DateReader(std::u16string_view text) : text_(text) {}

  int Digits(std::size_t count) {
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const char16_t c = Next();
      if (c < u'0' || c > u'9') RaiseRuntimeError(kErrTypeMismatch);
      value = value * 10 + (c - u'0');
    }
    return value;
  }
  void Expect(char16_t wanted) {
    if (Next() != wanted) RaiseRuntimeError(kErrTypeMismatch);
  }
  bool Accept(char16_t wanted) {
    if (AtEnd() || text_[position_] != wanted) return false;
    ++position_;
    return true;
  }
  bool AtEnd() const { return position_ >= text_.size(); }

 private:
  char16_t Next() { return AtEnd() ? u'\0' : text_[position_++]; }

  std::u16string_view text_;
  std::size_t position_ = 0;
};

std::u16string_view TrimBlanks(std::u16string_view text) {
  const auto first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  const auto last = text.find_last_not_of(u" \t");
  return text.substr(first, last - first + 1);
}

void ReadTime(DateReader& reader, DateParts& parts) {
  parts.hour = reader.Digits(2);
  reader.Expect(u':');
  parts.minute = reader.Digits(2);
  if (reader.Accept(u':')) parts.second = reader.Digits(2);
}

}  // namespace

Date TextToDate(std::u16string_view text) {
  DateReader reader(TrimBlanks(text));
  DateParts parts;
  parts.year = reader.Digits(4);
  reader.Expect(u'-');
  parts.month = reader.Digits(2);
  reader.Expect(u'-');
  parts.day = reader.Digits(2);
  parts.hour = parts.minute = parts.second = 0;
  if (reader.Accept(u' ')) ReadTime(reader, parts);
  if (!reader.AtEnd()) RaiseRuntimeError(kErrTypeMismatch);
  return Date::FromParts(parts);
}

std::string FormatDateParts(const DateParts& p, DateLayout layout) {
  char text[32];
  switch (layout) {
    case DateLayout::kDay:
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day);
      break;
    case DateLayout::kTimeOfDay:
      std::snprintf(text, sizeof text, "%02d:%02d:%02d", p.hour, p.minute, p.second);
      break;
    case DateLayout::kToTheMinute:
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", p.year, p.month, p.day, p.hour,
                    p.minute);
      break;
    case DateLayout::kToTheSecond:
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                    p.hour, p.minute, p.second);
      break;
  }
  return text;
}

}  // namespace orvulink::platform
