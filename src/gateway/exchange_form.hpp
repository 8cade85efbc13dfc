// The per-thread exchange object (the hidden form that carries the exchange and the probe).
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace orvulink::gateway {

class ExchangeForm {
 public:
  // Classification of the last failure of an exchange or probe (an OrvuLink_CodeTestConnection
  // value); 0 when none was recorded since the connection test reset it.
  std::int16_t iCodeTest = 0;
  // When on, getUrl returns the gateway's answer unprocessed (the connection test).
  VariantBool bRawAnswer{false};
  // The probe's navigation: 0 pending, 1 arrived (stays 1 for the thread), -1 failed.
  std::int16_t iNavigateState = 0;
  VariantBool bProgress{false};
  std::int16_t iTry = 0;
  std::unique_ptr<platform::ProbeBrowser> WebBrowser;
  // Description of the most recent failure among the probe's steps; "" when none.
  std::u16string probeLastError;

  // Sends the command string to the gateway and returns the answer text, "" for a failure that
  // is only recorded; raises 28379 after three unacceptable answers.
  std::u16string getUrl(const std::u16string& request);

  // The connectivity probe: 1 page arrived (now or earlier on this thread), -1 timed out,
  // -2 navigation error, -3 the navigation could not be started.
  std::int16_t TestConnectionWebB();

  // The probe browser's events.
  void WebBrowser_ProgressChange(std::int32_t progress, std::int32_t progressMax);
  void WebBrowser_NavigateComplete2(const BStr& url);
  void WebBrowser_NavigateError(const BStr& url, std::int32_t statusCode);
};

// This thread's exchange object, created on first use and never destroyed.
ExchangeForm& ThisThreadExchangeForm();

}  // namespace orvulink::gateway
