// The container's read- and write-properties notifications.
#include <orvulink/control.hpp>

#include "control/control_state.hpp"
#include "control/persistence.hpp"

namespace orvulink {

void OrvuLinkActiveX::ReadProperties(PropertyBag& bag) {
  CheckThread();
  control::RestoreSettings(control::ThisThreadState(), bag);
}

void OrvuLinkActiveX::WriteProperties(PropertyBag& bag) const {
  CheckThread();
  control::SaveSettings(control::ThisThreadState(), bag);
}

}  // namespace orvulink
