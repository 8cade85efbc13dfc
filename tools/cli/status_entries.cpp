#include "status_entries.hpp"

#include <algorithm>
#include <cctype>
#include <map>

#include "exit_codes.hpp"
#include "host_text.hpp"
#include "output.hpp"

namespace orvulink::cli {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

[[noreturn]] void Refuse(std::string_view where, std::string_view text, std::string_view why) {
  throw UsageError(std::string(where) + ": '" + OneLine(text) + "': " + std::string(why));
}

// The list deletes ";" and "," from an order ID (and the query joins items with ";"), so such
// an ID would be asked about as a different one; a blank inside is most likely a forgotten ":".
void CheckOrderId(std::string_view order_id, std::string_view text, std::string_view where) {
  if (order_id.empty()) Refuse(where, text, "empty ORDERID; write ORDERID or ORDERID:PHONE");
  if (!IsValidUtf8(order_id)) Refuse(where, text, "ORDERID is not UTF-8 text");
  const bool unfit = std::any_of(order_id.begin(), order_id.end(), [](char c) {
    return c == ';' || c == ',' || std::iscntrl(static_cast<unsigned char>(c)) != 0 ||
           std::isspace(static_cast<unsigned char>(c)) != 0;
  });
  if (unfit) Refuse(where, text, "ORDERID holds a blank, ';' or ','; write ORDERID:PHONE");
}

void CheckPhone(std::string_view phone, std::string_view text, std::string_view where) {
  std::string_view digits = phone;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  const bool all_digits = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  if (phone.empty()) Refuse(where, text, "empty PHONE after ':'");
  if (!all_digits) Refuse(where, text, "PHONE is not a number such as +393331234567");
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

StatusEntry ParseStatusEntry(std::string_view text, std::string_view where) {
  const std::string_view entry = Trimmed(text);
  const std::size_t colon = entry.find(':');
  StatusEntry parsed{std::string(Trimmed(entry.substr(0, colon))), std::nullopt};
  CheckOrderId(parsed.order_id, entry, where);
  if (colon != std::string_view::npos) {
    const std::string_view phone = Trimmed(entry.substr(colon + 1));
    CheckPhone(phone, entry, where);
    parsed.phone = std::string(phone);
  }
  return parsed;
}

std::vector<StatusEntry> ReadStatusEntries(std::istream& in, std::string_view source) {
  std::vector<StatusEntry> entries;
  std::size_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (Trimmed(line).empty()) continue;
    entries.push_back(ParseStatusEntry(line, std::string(source) + ":" + std::to_string(number)));
  }
  if (in.bad()) throw UsageError("cannot read " + std::string(source));
  return entries;
}

std::vector<OrderQuery> GroupByOrder(const std::vector<StatusEntry>& entries) {
  std::vector<OrderQuery> orders;
  std::map<std::string, std::size_t> position;  // lower-case order ID -> index in orders
  std::vector<bool> whole;                      // per order: asked for without a number
  for (const auto& entry : entries) {
    const auto [found, added] = position.try_emplace(LowerAscii(entry.order_id), orders.size());
    if (added) {
      orders.push_back(OrderQuery{entry.order_id, {}});
      whole.push_back(false);
    }
    const std::size_t index = found->second;
    if (!entry.phone) {
      whole[index] = true;
      orders[index].phones.clear();
    } else if (!whole[index]) {
      orders[index].phones.push_back(*entry.phone);
    }
  }
  return orders;
}

}  // namespace orvulink::cli
