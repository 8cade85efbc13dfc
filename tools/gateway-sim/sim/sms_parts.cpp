#include "sim/sms_parts.hpp"

#include <string>
#include <vector>

#include "sim/utf8.hpp"

namespace orvulink::sim {
namespace {

constexpr std::size_t kLongestWord = kSmsPartLength - 1;

// Word lengths in order, a word too long for one part given as its pieces.
std::vector<std::size_t> WordLengths(std::u16string_view text) {
  std::vector<std::size_t> lengths;
  for (;;) {
    const std::size_t space = text.find(u' ');
    std::size_t length = space == std::u16string_view::npos ? text.size() : space;
    for (; length > kLongestWord; length -= kLongestWord)
      lengths.push_back(kLongestWord);
    lengths.push_back(length);
    if (space == std::u16string_view::npos) return lengths;
    text.remove_prefix(space + 1);
  }
}

}  // namespace

int CountSmsParts(std::string_view utf8_text) {
  const std::u16string text = Utf16FromUtf8(utf8_text);
  int parts = 1;
  std::size_t used = 0;
  for (const std::size_t length : WordLengths(text)) {
    // The room test counts a separating space even at the start of a part.
    if (length + 1 + used <= kSmsPartLength) {
      used += used == 0 ? length : length + 1;
    } else {
      ++parts;
      used = length;
    }
  }
  return parts;
}

}  // namespace orvulink::sim
