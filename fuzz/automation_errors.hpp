// The fuzz targets' view of the component's failures: an automation error is an accepted answer
// to bad input, anything else that escapes is a finding.
#pragma once

#include <orvulink/automation.hpp>

#include <cstdint>

namespace orvulink::fuzz {

// Runs `body`; an automation error is an accepted outcome of bad input and is returned (number 0
// when none was raised). Any other exception escapes, and libFuzzer reports it.
template <class Body>
std::int32_t RaisedNumber(Body&& body) {
  try {
    body();
  } catch (const AutomationError& error) {
    return error.Number();
  }
  return 0;
}

}  // namespace orvulink::fuzz
