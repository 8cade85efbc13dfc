// The online check: online when some interface other than loopback is up and has an address.
#include <orvulink/platform.hpp>

#include "platform/seam_slot.hpp"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <utility>

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

SeamSlot<OnlineCheck>& Seam() {
  static SeamSlot<OnlineCheck> slot(std::make_shared<InterfaceOnlineCheck>());
  return slot;
}

}  // namespace

OnlineCheck::~OnlineCheck() = default;

std::shared_ptr<OnlineCheck> SetOnlineCheck(std::shared_ptr<OnlineCheck> check) {
  return Seam().Set(std::move(check));
}

std::shared_ptr<OnlineCheck> GetOnlineCheck() {
  return Seam().Get();
}

}  // namespace orvulink::platform
