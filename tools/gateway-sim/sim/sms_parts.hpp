// The number of SMS parts a message text takes, which is what the gateway charges for.
#pragma once

#include <cstddef>
#include <string_view>

namespace orvulink::sim {

inline constexpr std::size_t kSmsPartLength = 157;

// Counted as the component counts them, so the charge matches what it told its host: words
// (split at each space) packed in order into parts of at most 157 characters, a word longer
// than 156 characters broken first. Characters are UTF-16 code units. An empty text is 1.
int CountSmsParts(std::string_view utf8_text);

}  // namespace orvulink::sim
