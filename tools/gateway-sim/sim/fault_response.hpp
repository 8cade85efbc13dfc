// How an injected fault turns into what the client receives.
#pragma once

#include <string>

#include <httplib.h>

#include "sim/fault.hpp"
#include "sim/pause.hpp"

namespace orvulink::sim {

// A gateway page (Windows-1252 bytes) as a 200 answer.
void SetPage(httplib::Response& response, std::string page);

// Writes the faulty answer and returns true; a delay only waits and returns false, so that
// the caller answers as usual.
bool ApplyFault(const Fault& fault, httplib::Response& response, Pause& pause);

}  // namespace orvulink::sim
