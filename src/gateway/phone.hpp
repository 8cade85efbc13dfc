// Text routines applied before a value goes into a command or a list.
#pragma once

#include <string>

namespace orvulink::gateway {

// Deletes ";", ",", CR LF pairs, TAB, ":" and ";" again, in that order. Always true.
void StripSeparators(std::u16string& value);

// Rewrites the number in international form (trimmed, leading "00" to "+", "+" in front) and
// returns whether it is valid: 7 to 15 characters, "+" included, and numeric.
bool NormalizePhoneGsm(std::u16string& number);

}  // namespace orvulink::gateway
