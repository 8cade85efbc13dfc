// The automation conversions, parsed by hand so that no locale can change what "." means.
#include "platform/conversions.hpp"

#include "platform/runtime_error.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace orvulink::platform {
namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsNumberBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}
bool IsLeadingNumberBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Parses "[-]digits[.digits]" (plain ASCII, at least one digit). A value too large for a
// Double raises 6; one too small to hold becomes 0.
double ParseDecimal(const std::string& number) {
  double value = 0.0;
  const char* first = number.data();
  const char* last = first + number.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (error == std::errc::result_out_of_range) {
    const auto integerEnd = number.find('.');
    const bool large = number.find_first_of("123456789") < integerEnd;
    if (large) RaiseRuntimeError(kErrOverflow);
    return 0.0;
  }
  if (error != std::errc() || end != last) RaiseRuntimeError(kErrTypeMismatch);
  return value;
}

// The text of a number that passed the number test, without blanks or a plus sign.
std::string CompactNumber(std::u16string_view text) {
  std::string number;
  for (char16_t c : text) {
    if (IsDigit(c) || c == u'.' || c == u'-') number.push_back(static_cast<char>(c));
  }
  return number;
}

template <class Int>
Int RoundTo(double value) {
  if (!std::isfinite(value)) RaiseRuntimeError(kErrOverflow);
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole < static_cast<double>(std::numeric_limits<Int>::min()) ||
      whole > static_cast<double>(std::numeric_limits<Int>::max())) {
    RaiseRuntimeError(kErrOverflow);
  }
  return static_cast<Int>(whole);
}

// With blanksInside false, a blank after the sign or the first digit ends the number.
double ReadLeadingNumber(std::u16string_view text, bool blanksInside) {
  std::string number;
  bool digits = false;
  bool point = false;
  for (char16_t c : text) {
    if (IsLeadingNumberBlank(c)) {
      if (number.empty() || blanksInside) continue;
      break;
    }
    if (IsDigit(c)) {
      digits = true;
    } else if (c == u'.' && !point) {
      point = true;
    } else if (!((c == u'+' || c == u'-') && number.empty())) {
      break;
    }
    number.push_back(static_cast<char>(c));
  }
  if (!digits) return 0.0;
  if (number.front() == '+') number.erase(0, 1);
  return ParseDecimal(number);
}

}  // namespace

bool IsNumeric(std::u16string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsNumberBlank(text[i]))
    ++i;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  bool digits = false;
  bool point = false;
  for (; i < n; ++i) {
    if (IsDigit(text[i])) {
      digits = true;
    } else if (text[i] == u'.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  while (i < n && IsNumberBlank(text[i]))
    ++i;
  return digits && i == n;
}

double LeadingNumber(std::u16string_view text) {
  return ReadLeadingNumber(text, true);
}

double LeadingNumberToBlank(std::u16string_view text) {
  return ReadLeadingNumber(text, false);
}

std::int16_t RoundToInteger(double value) {
  return RoundTo<std::int16_t>(value);
}
std::int32_t RoundToLong(double value) {
  return RoundTo<std::int32_t>(value);
}

std::int16_t TextToInteger(std::u16string_view text) {
  return RoundToInteger(TextToDouble(text));
}
std::int32_t TextToLong(std::u16string_view text) {
  return RoundToLong(TextToDouble(text));
}

double TextToDouble(std::u16string_view text) {
  if (!IsNumeric(text)) RaiseRuntimeError(kErrTypeMismatch);
  return ParseDecimal(CompactNumber(text));
}

}  // namespace orvulink::platform
