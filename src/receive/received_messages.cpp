// The list of one download: unkeyed, in the gateway's order, its store there from the start.
#include <orvulink/receive.hpp>

#include "receive/access.hpp"
#include "receive/list_count.hpp"

#include <utility>

namespace orvulink {

OrvuReceivedMessages::MessagePtr OrvuReceivedMessages::Item(std::int16_t Index) const {
  CheckThread();
  return receive::EntryAt<MessagePtr>(messages_, Index);
}

std::int16_t OrvuReceivedMessages::Count() const {
  CheckThread();
  return receive::ListCount(messages_.size());
}

std::shared_ptr<Enumerator<OrvuReceivedMessages::MessagePtr>> OrvuReceivedMessages::NewEnum()
    const {
  CheckThread();
  return std::make_shared<Enumerator<MessagePtr>>(messages_);
}

namespace receive {

std::shared_ptr<OrvuReceivedMessages> Access::NewMessageList() {
  return std::shared_ptr<OrvuReceivedMessages>(new OrvuReceivedMessages());
}

void Access::Append(OrvuReceivedMessages& list, std::shared_ptr<OrvuReceivedMessage> message) {
  list.messages_.push_back(std::move(message));
}

void Access::Release(OrvuReceivedMessages& list) {
  list.messages_.clear();
}

}  // namespace receive
}  // namespace orvulink
