#include "core/version.hpp"

#include "platform/text.hpp"

namespace orvulink::core {

// The numbers come from the build, so the pages follow the project's version by themselves.
std::u16string ComponentVersion() {
  return platform::ToDecimal(ORVULINK_VERSION_MAJOR) + u"." +
         platform::ToDecimal(ORVULINK_VERSION_MINOR) + u"." +
         platform::ToDecimal(ORVULINK_VERSION_PATCH);
}

}  // namespace orvulink::core
