// The automation conversions the component relies on, fixed to one behaviour everywhere
// (no locale): "." is the only decimal separator.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvulink::platform {

// The number test: optional blanks around an optional sign and digits with at most one "."
// (at least one digit; no letters, exponents or thousands separators).
bool IsNumeric(std::u16string_view text);

// The leading-number read: blanks (space, TAB, LF, CR) anywhere are skipped; then an optional
// sign, digits and an optional "." followed by digits. Text without a leading number gives 0.
double LeadingNumber(std::u16string_view text);

// The same read with blanks skipped only before the number: once its sign, first digit or "."
// is read, a blank ends it ("1\n2" gives 1).
double LeadingNumberToBlank(std::u16string_view text);

// The size of a list the gateway's answers fill as a 16-bit count: beyond 32767 entries it
// stays at 32767 instead of wrapping to a negative number.
inline std::int16_t SaturatedCount(std::size_t size) {
  return static_cast<std::int16_t>(std::min<std::size_t>(size, INT16_MAX));
}

// Round half to even into a 16-bit Integer / 32-bit Long; out of range raises 6 (overflow).
std::int16_t RoundToInteger(double value);
std::int32_t RoundToLong(double value);

// Text to Integer / Long / Double as an automation conversion does it: text that fails the
// number test raises 13 (type mismatch); then rounding as above (overflow raises 6).
std::int16_t TextToInteger(std::u16string_view text);
std::int32_t TextToLong(std::u16string_view text);
double TextToDouble(std::u16string_view text);

}  // namespace orvulink::platform
