// The control's ten settings in a stream, for hosts that save controls with IPersistStreamInit.
#pragma once

#include "com/com_types.hpp"

namespace orvulink::com {

// Each setting as its key and its text, both length-prefixed UTF-16, after a count.
void SaveSettings(OrvuLinkActiveX& control, IStream& stream);
void LoadSettings(OrvuLinkActiveX& control, IStream& stream);

}  // namespace orvulink::com
