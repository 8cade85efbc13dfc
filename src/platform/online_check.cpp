// The online check seam: the system's own test by default, replaceable by hosts and tests.
#include <orvulink/platform.hpp>

#include "platform/seam_slot.hpp"
#include "platform/system.hpp"

#include <utility>

namespace orvulink::platform {
namespace {

SeamSlot<OnlineCheck>& Seam() {
  static SeamSlot<OnlineCheck> slot(system::MakeOnlineCheck());
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
