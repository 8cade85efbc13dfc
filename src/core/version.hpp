// The component's version as the control and the design-time pages show it.
#pragma once

#include <string>

namespace orvulink::core {

// major "." minor "." revision, each in decimal without padding ("1.2.0").
std::u16string ComponentVersion();

}  // namespace orvulink::core
