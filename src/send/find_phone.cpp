#include "send/find_phone.hpp"

#include "platform/text.hpp"

namespace orvulink::send {
namespace {

// A "+" only at the start: such a number can only occur in such an entry at its start.
bool PlainNumber(std::u16string_view text) {
  return text.find(u'+', 1) == std::u16string_view::npos;
}

}  // namespace

std::size_t FindPhone(std::u16string_view list, std::u16string_view phone) {
  std::size_t start = 1;
  for (;;) {
    const std::size_t occurrence = platform::Find(list, phone, start);
    if (occurrence == 0) return 0;
    std::size_t comma = platform::Find(list, u",", occurrence);
    if (comma == 0) comma = list.size() + 1;
    if (list.substr(occurrence - 1, comma - occurrence) == phone) return occurrence;
    if (comma >= list.size()) return 0;
    // A number holding a comma could match at the comma again; stored numbers have none.
    start = comma > occurrence ? comma : occurrence + 1;
  }
}

RefusedNumbers::RefusedNumbers(std::u16string_view list) : list_(list) {
  std::u16string_view rest = list_;
  for (;;) {
    const std::size_t comma = rest.find(u',');
    const std::u16string_view entry = rest.substr(0, comma);
    plainEntries_ = plainEntries_ && PlainNumber(entry);
    entries_.insert(entry);
    if (comma == std::u16string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
}

bool RefusedNumbers::Contains(std::u16string_view phone) const {
  if (phone.empty() || list_.empty()) return FindPhone(list_, phone) != 0;
  if (entries_.contains(phone)) return true;
  if (plainEntries_ && phone.front() == u'+' && PlainNumber(phone)) return false;
  return FindPhone(list_, phone) != 0;
}

}  // namespace orvulink::send
