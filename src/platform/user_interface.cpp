// The user-interface seam: the system's dialogs by default, replaceable by hosts and tests.
#include <orvulink/platform.hpp>

#include "platform/seam_slot.hpp"
#include "platform/system.hpp"

#include <utility>

namespace orvulink::platform {
namespace {

SeamSlot<UserInterface>& Seam() {
  static SeamSlot<UserInterface> slot(system::MakeUserInterface());
  return slot;
}

}  // namespace

UserInterface::~UserInterface() = default;

std::shared_ptr<UserInterface> SetUserInterface(std::shared_ptr<UserInterface> ui) {
  return Seam().Set(std::move(ui));
}

std::shared_ptr<UserInterface> GetUserInterface() {
  return Seam().Get();
}

}  // namespace orvulink::platform
