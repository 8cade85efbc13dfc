// The online check: online when some interface other than loopback is up and has an address.
#include <orvulink/platform.hpp>

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <mutex>
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

struct OnlineCheckSeam {
  std::mutex mutex;
  std::shared_ptr<OnlineCheck> fallback = std::make_shared<InterfaceOnlineCheck>();
  std::shared_ptr<OnlineCheck> current = fallback;
};

OnlineCheckSeam& Seam() {
  static OnlineCheckSeam seam;
  return seam;
}

}  // namespace

OnlineCheck::~OnlineCheck() = default;

std::shared_ptr<OnlineCheck> SetOnlineCheck(std::shared_ptr<OnlineCheck> check) {
  OnlineCheckSeam& seam = Seam();
  const std::lock_guard lock(seam.mutex);
  if (!check) check = seam.fallback;
  return std::exchange(seam.current, std::move(check));
}

std::shared_ptr<OnlineCheck> GetOnlineCheck() {
  OnlineCheckSeam& seam = Seam();
  const std::lock_guard lock(seam.mutex);
  return seam.current;
}

}  // namespace orvulink::platform
