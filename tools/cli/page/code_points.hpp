// Text boxes are edited by character, not by UTF-16 unit, so that the cursor never stands in
// the middle of a surrogate pair.
#pragma once

#include <orvulink/automation.hpp>

#include <string>
#include <string_view>

namespace orvulink::cli {

std::u32string CodePoints(const BStr& text);
BStr FromCodePoints(std::u32string_view text);
std::string Utf8(std::u32string_view text);

}  // namespace orvulink::cli
