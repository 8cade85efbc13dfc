// The automation number reads behind every count: the number test, the leading-number read and
// rounding half to even into an Integer or a Long. Each is checked against a plain reference
// written here from the documented rules, not from the component's code.
#include "automation_errors.hpp"
#include "fuzz_support.hpp"
#include "platform/conversions.hpp"
#include "platform/runtime_error.hpp"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace {

using namespace orvulink;

bool Digit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Blanks (space, TAB), an optional sign, digits with at most one "." (at least one digit),
// blanks; returns the number's ASCII text without blanks and "+", or nothing.
std::optional<std::string> ReferenceNumber(std::u16string_view text) {
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
      ++i;
  };
  skipBlanks();
  std::string number;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') number += '-';
    ++i;
  }
  std::size_t digits = 0;
  std::size_t points = 0;
  while (i < text.size() && (Digit(text[i]) || text[i] == u'.')) {
    if (text[i] == u'.' && ++points > 1) break;
    if (text[i] != u'.') ++digits;
    number += static_cast<char>(text[i]);
    ++i;
  }
  skipBlanks();
  if (digits == 0 || i != text.size()) return std::nullopt;
  return number;
}

// The leading number with blanks (space, TAB, LF, CR) skipped anywhere; "" when there is none.
std::string ReferenceLeading(std::u16string_view text) {
  std::string number;
  bool point = false;
  bool digits = false;
  for (char16_t c : text) {
    if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') continue;
    const bool sign = (c == u'+' || c == u'-') && number.empty();
    const bool firstPoint = c == u'.' && !point;
    if (!Digit(c) && !sign && !firstPoint) break;
    point = point || c == u'.';
    digits = digits || Digit(c);
    if (c != u'+') number += static_cast<char>(c);
    if (c == u'+') number += ' ';  // keeps the sign's place: a second sign is no sign
  }
  std::erase(number, ' ');
  return digits ? number : std::string();
}

// strtod reads the same decimal text exactly; it is the reference for the value.
double ReferenceValue(const std::string& number) {
  return std::strtod(number.c_str(), nullptr);
}

// Half to even by the floating-point environment's own rounding.
template <class Int>
std::optional<Int> ReferenceRound(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(mode);
  if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max()) {
    return std::nullopt;
  }
  return static_cast<Int>(rounded);
}

template <class Int, class Round>
void CheckRounding(double value, Round round) {
  const std::optional<Int> expected = ReferenceRound<Int>(value);
  Int got = 0;
  const std::int32_t raised = fuzz::RaisedNumber([&] { got = round(value); });
  if (!expected) {
    ORVULINK_FUZZ_CHECK(raised == platform::kErrOverflow);
  } else {
    ORVULINK_FUZZ_CHECK(raised == 0 && got == *expected);
  }
}

void CheckText(std::u16string_view text) {
  const std::optional<std::string> number = ReferenceNumber(text);
  ORVULINK_FUZZ_CHECK(platform::IsNumeric(text) == number.has_value());

  double value = 0;
  const std::int32_t raised = fuzz::RaisedNumber([&] { value = platform::TextToDouble(text); });
  if (!number) {
    ORVULINK_FUZZ_CHECK(raised == platform::kErrTypeMismatch);
  } else if (std::isinf(ReferenceValue(*number))) {
    ORVULINK_FUZZ_CHECK(raised == platform::kErrOverflow);
  } else {
    ORVULINK_FUZZ_CHECK(raised == 0 && value == ReferenceValue(*number));
  }

  double leading = 0;
  const std::string leadingText = ReferenceLeading(text);
  const std::int32_t leadingRaised =
      fuzz::RaisedNumber([&] { leading = platform::LeadingNumber(text); });
  const double expectedLeading = leadingText.empty() ? 0.0 : ReferenceValue(leadingText);
  if (std::isinf(expectedLeading)) {
    ORVULINK_FUZZ_CHECK(leadingRaised == platform::kErrOverflow);
    return;
  }
  ORVULINK_FUZZ_CHECK(leadingRaised == 0 && leading == expectedLeading);
  // The waiting count of a reception key and the group number of a send result.
  CheckRounding<std::int16_t>(leading, platform::RoundToInteger);
  CheckRounding<std::int32_t>(leading, platform::RoundToLong);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckText(fuzz::UnitsFromBytes(data, size));
  // Raw doubles too, halves and the edges of the ranges among them.
  if (size == sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    CheckRounding<std::int16_t>(value, platform::RoundToInteger);
    CheckRounding<std::int32_t>(value, platform::RoundToLong);
    CheckRounding<std::int16_t>(value / 65536.0, platform::RoundToInteger);
  }
  return 0;
}
