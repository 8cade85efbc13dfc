// The probe browser seam's real default: one libcurl transfer per navigation (a GET that follows
// redirects), driven by the thread's message pump, its events delivered by PumpMessages().
#pragma once

#include "platform/probe_errors.hpp"

#include <orvulink/platform.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvulink::platform {

// A navigation that has not ended after `transferTimeout` fails with kInetConnectionTimeout.
// The default outlasts the probe's own wait of about two minutes.
inline constexpr std::chrono::milliseconds kDefaultProbeTransferTimeout{150'000};

// Raises an AutomationError when libcurl cannot provide a transfer.
std::unique_ptr<ProbeBrowser> MakeCurlProbeBrowser(
    std::chrono::milliseconds transferTimeout = kDefaultProbeTransferTimeout);

}  // namespace orvulink::platform
