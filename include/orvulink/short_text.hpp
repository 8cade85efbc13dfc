// Text kept inside the object that owns it while it is short, as a phone number is; longer
// text goes to the heap. A status answer creates thousands of recipients at a time, and an
// allocation of its own for each one's number was a large part of their cost.
#pragma once

#include <orvulink/export.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvulink {

class ORVULINK_API ShortText {
 public:
  std::u16string_view view() const noexcept {
    return size_ == kOnHeap ? std::u16string_view(heap_) : std::u16string_view(inline_, size_);
  }
  // `first` then `rest`, as one text.
  void assign(std::u16string_view first, std::u16string_view rest = {});

 private:
  static constexpr std::size_t kInline = 20;  // every valid phone number, "+" included
  static constexpr std::uint8_t kOnHeap = 0xFF;

  std::uint8_t size_ = 0;
  char16_t inline_[kInline] = {};
  std::u16string heap_;
};

}  // namespace orvulink
