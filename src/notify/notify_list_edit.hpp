// Adding and removing order IDs and the recipients they follow.
#pragma once

#include <orvulink/notify.hpp>

#include <string_view>

namespace orvulink::notify {

// True when the list changed; a full list is queried and emptied first when AutoNotify is on,
// else refused with the queue error.
bool AddOrderID(OrvuNotifiedMessages& list, std::u16string_view orderId, std::u16string_view phone);
// True when something was removed.
bool RemoveOrderID(OrvuNotifiedMessages& list, std::u16string_view orderId,
                   std::u16string_view phone);

}  // namespace orvulink::notify
