// What `orvulink status` is asked about: ORDERID[:PHONE] entries from arguments or lines of
// text, checked, then grouped into one query per order ID.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::cli {

struct StatusEntry {
  std::string order_id;
  std::optional<std::string> phone;  // none: every recipient of the order
};

// One order ID to ask about, with the recipients to follow; none named: all of them.
struct OrderQuery {
  std::string order_id;
  std::vector<std::string> phones;
};

// Reads "ORDERID" or "ORDERID:PHONE", surrounding blanks ignored. Throws UsageError, naming
// `where`, for an empty part, an order ID the status list would silently alter or that the
// query cannot carry, and a number that is not "+" or "00" followed by digits.
StatusEntry ParseStatusEntry(std::string_view text, std::string_view where);

// One entry per line that is not blank; `source` names the input in errors ("FILE:LINE").
std::vector<StatusEntry> ReadStatusEntries(std::istream& in, std::string_view source);

// Entries of one order ID (compared as the list compares keys, without regard to letter case)
// become one query, in the order first given. An entry without a number wins: the order is
// followed whole, as asked, instead of through the numbers alone.
std::vector<OrderQuery> GroupByOrder(const std::vector<StatusEntry>& entries);

}  // namespace orvulink::cli
