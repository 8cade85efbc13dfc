// Looking a recipient up in the gateway's comma-separated list of refused numbers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace orvulink::send {

// The 1-based position of `phone` where it stands as the end of a list entry, reading each
// entry up to its first occurrence of `phone`; 0 when absent.
std::size_t FindPhone(std::u16string_view list, std::u16string_view phone);

// The same verdict as FindPhone for a whole group's members, without a scan of the list per
// member when the list holds plain international numbers.
class RefusedNumbers {
 public:
  explicit RefusedNumbers(std::u16string_view list);
  bool Contains(std::u16string_view phone) const;

 private:
  std::u16string list_;
  std::unordered_set<std::u16string_view> entries_;
  bool plainEntries_ = true;  // every entry has at most one "+", at its start
};

}  // namespace orvulink::send
