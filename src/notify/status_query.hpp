// The status query: every order ID not yet queried, in one command, and the gateway's answer
// written into the order IDs and their recipients.
#pragma once

#include <orvulink/notify.hpp>

#include "notify/access.hpp"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvulink::notify {

struct NotifyListState;

// True when an answer was received and applied; false when there was nothing to ask. Every
// failure is raised.
bool QueryStatus(OrvuNotifiedMessages& list);

// The order IDs of a list as a query was composed, whatever the host does to the list while
// the command is in flight. Only the entries are held: an answer names them mostly in the order
// asked, so each is first looked for after the one found last, and the index by key is built
// only when that misses.
class AskedOrderIds {
 public:
  using Entry = std::shared_ptr<OrvuNotifiedOrderID>;
  explicit AskedOrderIds(const OrderIdList& list) : entries_(list.Entries()) {}

  const std::vector<Entry>& Entries() const noexcept { return entries_; }
  // The entry with this order ID (letter case aside), null when none; held by this list.
  OrvuNotifiedOrderID* Find(std::u16string_view orderId) const;

 private:
  std::vector<Entry> entries_;
  mutable std::size_t next_ = 0;
  mutable std::unordered_map<std::u16string, std::size_t> positions_;
};

// The QUERYDATA value, trailing ";" included ("" when nothing is to be asked).
std::u16string QueryText(const NotifyListState& state);
// Applies the payload's lines to the order IDs asked about (the list as the query was
// composed); stops with error 9 at an empty line or at a listed order ID without an entry list.
void ApplyStatusLines(const AskedOrderIds& asked, std::u16string_view payload);
// Order IDs not reported become NOTCORRECTED; recipients without a status, ERRGATEWAY.
void FinaliseOrderIDs(const AskedOrderIds& asked);

// One entry «date,time,number,status[,reason]» applied to an order ID.
void ApplyStatusEntry(OrvuNotifiedOrderID& orderId, std::u16string_view entry);

}  // namespace orvulink::notify
