// The per-thread exchange object (the hidden form that carries the exchange and the probe).
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace orvulink::gateway {

// The connectivity probe's verdicts.
enum class ProbeVerdict : std::int16_t {
  kArrived = 1,  // the probe page arrived, now or earlier on this thread
  kTimedOut = -1,
  kNavigationError = -2,
  kCannotNavigate = -3,  // the navigation could not be started
};

// How getUrl hands back the gateway's page.
enum class AnswerForm {
  kText,  // the answer text: the page frame cut off, three tries for an acceptable one
  kRaw,   // the page as it came (the connection test), after one try
};

class ExchangeForm {
 public:
  // Classification of the last failure of an exchange or probe (an OrvuLink_CodeTestConnection
  // value); 0 when none was recorded since the connection test reset it.
  std::int16_t iCodeTest = 0;
  // The probe's navigation: 0 pending, 1 arrived (stays 1 for the thread), -1 failed.
  std::int16_t iNavigateState = 0;
  VariantBool bProgress{false};
  std::unique_ptr<platform::ProbeBrowser> WebBrowser;
  // Description of the most recent failure among the probe's steps; "" when none.
  std::u16string probeLastError;

  // Sends the command string to the gateway and returns the answer, "" for a failure that is
  // only recorded; raises 28379 after three unacceptable answers.
  std::u16string getUrl(const std::u16string& request, AnswerForm form = AnswerForm::kText);

  ProbeVerdict TestConnectionWebB();

  // The probe browser's events.
  void WebBrowser_ProgressChange(std::int32_t progress, std::int32_t progressMax);
  void WebBrowser_NavigateComplete2(const BStr& url);
  void WebBrowser_NavigateError(const BStr& url, std::int32_t statusCode);
};

// This thread's exchange object, created on first use and never destroyed.
ExchangeForm& ThisThreadExchangeForm();

}  // namespace orvulink::gateway
