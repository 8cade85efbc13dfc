// UTF-8 to and from code points, tolerant of bad input.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::sim {

inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

// Decodes UTF-8; every byte that does not start a well-formed sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text);

// Appends the UTF-8 form of one code point (U+FFFD for a surrogate or a value past U+10FFFF).
void AppendUtf8(char32_t code_point, std::string& out);

// The UTF-16 code units of a UTF-8 text, as the component counts characters.
std::u16string Utf16FromUtf8(std::string_view text);

}  // namespace orvulink::sim
