// Reason phrases of HTTP status codes, as a status line of the standard gives them.
#pragma once

#include <string_view>

namespace orvulink::platform {

// The standard reason phrase of `status` ("OK" for 200, "Unauthorized" for 401, ...); "" for a
// code without one.
std::string_view HttpReasonPhrase(long status);

}  // namespace orvulink::platform
