// The one creatable class of the server.
#pragma once

#include "orvulink_h.h"

namespace orvulink::com {

// A new control (the control start runs); a new reference.
_OrvuLinkActiveX* CreateControl();

}  // namespace orvulink::com
