// Text routines applied before a value goes into a command or a list.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::gateway {

// Deletes ";", ",", CR LF pairs, TAB, ":" and ";" again, in that order. Always true.
void StripSeparators(std::u16string& value);
// Whether StripSeparators would delete anything: most values hold no separator.
bool HoldsSeparators(std::u16string_view value) noexcept;

// The number in international form (trimmed, leading "00" to "+", "+" in front) as two views:
// `prefix` ("+" or "") before `rest`, a part of the number.
struct PhoneGsmParts {
  std::u16string_view prefix;
  std::u16string_view rest;
};
PhoneGsmParts PhoneGsmFormParts(std::u16string_view number);
// The same form as one text.
std::u16string PhoneGsmForm(std::u16string_view number);
// Rewrites the number in its international form and returns whether it is valid: 7 to 15
// characters, "+" included, and numeric.
bool NormalizePhoneGsm(std::u16string& number);

}  // namespace orvulink::gateway
