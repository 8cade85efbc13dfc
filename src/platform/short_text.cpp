#include <orvulink/short_text.hpp>

#include <algorithm>

namespace orvulink {

void ShortText::assign(std::u16string_view first, std::u16string_view rest) {
  const std::size_t size = first.size() + rest.size();
  if (size > kInline) {
    heap_.assign(first).append(rest);
    size_ = kOnHeap;
    return;
  }
  std::copy(rest.begin(), rest.end(), std::copy(first.begin(), first.end(), inline_));
  size_ = static_cast<std::uint8_t>(size);
  heap_.clear();
}

}  // namespace orvulink
