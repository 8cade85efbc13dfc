// Messages arriving at the gateway from outside: the control endpoint's way to let a test
// "receive" an SMS on a key.
#include "sim/gateway.hpp"
#include "sim/local_time.hpp"

namespace orvulink::sim {

std::optional<std::size_t> Gateway::ReceiveSms(const std::string& key, IncomingSms sms) {
  const std::lock_guard lock(mutex_);
  for (auto& account : current_.accounts) {
    for (auto& owned : account.reception_keys) {
      if (owned.key != key) continue;
      if (sms.sent.empty()) {
        sms.sent = FormatLocalDate(clock_.Now()) + " " + FormatLocalTime(clock_.Now());
      }
      owned.inbox.Receive(std::move(sms));
      return owned.inbox.Waiting();
    }
  }
  return std::nullopt;
}

}  // namespace orvulink::sim
