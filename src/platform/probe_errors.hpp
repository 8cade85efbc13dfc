// What a probe browser reports as NavigateError's status code when no HTTP status arrived.
#pragma once

#include <cstdint>

namespace orvulink::platform {

// NavigateError's status code when no HTTP status arrived: the internet errors a browser
// reports, as signed 32-bit values.
inline constexpr std::int32_t kInetResourceNotFound = static_cast<std::int32_t>(0x800C0005u);
inline constexpr std::int32_t kInetDownloadFailure = static_cast<std::int32_t>(0x800C0008u);
inline constexpr std::int32_t kInetConnectionTimeout = static_cast<std::int32_t>(0x800C000Bu);
inline constexpr std::int32_t kInetSecurityProblem = static_cast<std::int32_t>(0x800C000Eu);

}  // namespace orvulink::platform
