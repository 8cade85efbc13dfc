// The online check on POSIX: online when some interface other than loopback is up and has an
// address.
#include "platform/system.hpp"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <memory>

namespace orvulink::platform {
namespace {

bool IsUsableInterface(const ifaddrs& entry) {
  if (entry.ifa_addr == nullptr) return false;
  const int family = entry.ifa_addr->sa_family;
  if (family != AF_INET && family != AF_INET6) return false;
  return (entry.ifa_flags & IFF_UP) != 0 && (entry.ifa_flags & IFF_LOOPBACK) == 0;
}

class InterfaceOnlineCheck final : public OnlineCheck {
 public:
  bool IsOnline() override {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool online = false;
    for (const ifaddrs* entry = list; entry != nullptr && !online; entry = entry->ifa_next) {
      online = IsUsableInterface(*entry);
    }
    freeifaddrs(list);
    return online;
  }
};

}  // namespace

std::shared_ptr<OnlineCheck> system::MakeOnlineCheck() {
  return std::make_shared<InterfaceOnlineCheck>();
}

}  // namespace orvulink::platform
