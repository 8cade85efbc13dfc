// The per-thread exchange object (the hidden form that carries the exchange and the probe).
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace orvulink::gateway {

struct ExchangeForm {
  std::int16_t iCodeTest = 0;
  VariantBool bRawAnswer{false};
  std::int16_t iNavigateState = 0;
  VariantBool bProgress{false};
  std::int16_t iTry = 0;
  std::unique_ptr<platform::ProbeBrowser> WebBrowser;
  std::u16string probeLastError;  // description of the probe's most recent failure
};

// This thread's exchange object, created on first use and never destroyed.
ExchangeForm& ThisThreadExchangeForm();

}  // namespace orvulink::gateway
