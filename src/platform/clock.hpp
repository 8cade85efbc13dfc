// Shorthands over the clock seam.
#pragma once

#include <orvulink/automation.hpp>

#include <chrono>
#include <string>

namespace orvulink::platform {

Date Now();
void SleepFor(std::chrono::milliseconds duration);
// The current date and time in the general date format, as log lines carry it.
std::u16string NowGeneral();

}  // namespace orvulink::platform
