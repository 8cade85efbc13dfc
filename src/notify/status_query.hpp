// The status query: every order ID not yet queried, in one command, and the gateway's answer
// written into the order IDs and their recipients.
#pragma once

#include <orvulink/notify.hpp>

#include "notify/access.hpp"

#include <string>
#include <string_view>

namespace orvulink::notify {

struct NotifyListState;

// True when an answer was received and applied; false when there was nothing to ask. Every
// failure is raised.
bool QueryStatus(OrvuNotifiedMessages& list);

// The QUERYDATA value, trailing ";" included ("" when nothing is to be asked).
std::u16string QueryText(const NotifyListState& state);
// Applies the payload's lines to the order IDs asked about (the list as the query was
// composed); stops with error 9 at an empty line or at a listed order ID without an entry list.
void ApplyStatusLines(const OrderIdList& asked, std::u16string_view payload);
// Order IDs not reported become NOTCORRECTED; recipients without a status, ERRGATEWAY.
void FinaliseOrderIDs(const OrderIdList& asked);

// One entry «date,time,number,status[,reason]» applied to an order ID.
void ApplyStatusEntry(OrvuNotifiedOrderID& orderId, std::u16string_view entry);

}  // namespace orvulink::notify
