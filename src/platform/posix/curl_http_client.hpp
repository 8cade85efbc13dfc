// The HTTP client seam's real default, on a libcurl easy handle.
#pragma once

#include <orvulink/platform.hpp>

#include <memory>

namespace orvulink::platform {

// A client that POSTs each send's body to the address as a Windows-1252 form body. Transport
// failures raise an AutomationError numbered 12000 + the CURLcode; an HTTP error status is an
// answer, not a failure.
std::unique_ptr<HttpClient> MakeCurlHttpClient();

}  // namespace orvulink::platform
