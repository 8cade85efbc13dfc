// The probe browser seam's real default: one libcurl transfer per navigation (a GET that follows
// redirects), driven by the thread's message pump, its events delivered by PumpMessages().
#pragma once

#include <orvulink/platform.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvulink::platform {

// NavigateError's status code when no HTTP status arrived: the internet errors a browser
// reports, as signed 32-bit values.
inline constexpr std::int32_t kInetResourceNotFound = static_cast<std::int32_t>(0x800C0005u);
inline constexpr std::int32_t kInetDownloadFailure = static_cast<std::int32_t>(0x800C0008u);
inline constexpr std::int32_t kInetConnectionTimeout = static_cast<std::int32_t>(0x800C000Bu);
inline constexpr std::int32_t kInetSecurityProblem = static_cast<std::int32_t>(0x800C000Eu);

// A navigation that has not ended after `transferTimeout` fails with kInetConnectionTimeout.
// The default outlasts the probe's own wait of about two minutes.
inline constexpr std::chrono::milliseconds kDefaultProbeTransferTimeout{150'000};

// Raises an AutomationError when libcurl cannot provide a transfer.
std::unique_ptr<ProbeBrowser> MakeCurlProbeBrowser(
    std::chrono::milliseconds transferTimeout = kDefaultProbeTransferTimeout);

// The text of a page's body: what lies between <body ...> and </body> with every tag removed;
// the whole page without its tags when it has no body element.
std::u16string PageBodyText(std::u16string_view page);

}  // namespace orvulink::platform
