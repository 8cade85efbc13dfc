// The connectivity probe: the probe page opened in a hidden browser, which connects the way the
// system is configured to, and the browser's events. Every step tolerates failure; the failure
// is kept as the probe's last error for getUrl's report.
#include <orvulink/enums.hpp>
#include <orvulink/platform.hpp>

#include "core/control_state.hpp"
#include "gateway/address.hpp"
#include "gateway/exchange_form.hpp"
#include "gateway/log.hpp"
#include "platform/clock.hpp"
#include "platform/pump.hpp"
#include "platform/runtime_error.hpp"
#include "platform/suppressed.hpp"
#include "platform/text.hpp"

#include <chrono>
#include <optional>
#include <string>
#include <utility>

namespace orvulink::gateway {
namespace {

using namespace std::chrono_literals;
using platform::ProbeBrowser;

constexpr std::chrono::milliseconds kPollInterval = 100ms;
constexpr int kBusyPollLimit = 400;
constexpr int kCountdownLimit = 400;
constexpr int kWaitPollLimit = 1200;
constexpr std::int32_t kProxyAuthenticationRequired = 407;
constexpr std::int32_t kNotFound = 404;

const std::u16string kStartLine =
    u"++++++++++++++++++++++TestConnectionWebB: START" + std::u16string(26, u'+');
const std::u16string kEndLine =
    u"++++++++++++++++++++++TestConnectionWebB: END" + std::u16string(29, u'+');
const std::u16string kEndLineAlreadyPassed =
    u"++++++++++++++++++++++TestConnectionWebB: END" + std::u16string(33, u'+');

void Pause() noexcept {
  platform::Suppressed([] { platform::SleepFor(kPollInterval); });
}

// One run of the probe on the thread's exchange form. The browser is always reached through the
// form: a host re-entering during the wait may release it.
class Probe {
 public:
  explicit Probe(ExchangeForm& form) : form_(form) {}

  ProbeVerdict Run() {
    form_.probeLastError.clear();  // only this probe's failures are reported
    WriteLog(kStartLine);
    if (form_.iNavigateState > 0) return AlreadyPassed();
    const std::u16string url = ProbeUrl();
    if (!form_.WebBrowser) OpenBrowser();
    form_.iNavigateState = 0;
    form_.bProgress = VariantBool(false);
    // The page an earlier probe left; without one there is nothing to clear or to report.
    Step([](ProbeBrowser& b) { b.SetDocumentBodyText(u""); });
    ClearError();
    WriteLog(u"TestConnectionWebB: Navigate2 " + LogStamp());
    if (!WaitUntilIdle()) return TimedOut();
    if (!StartNavigation(url)) return CannotNavigate();
    Pause();
    WriteLog(u"TestConnectionWebB: Richiesta effettuata al gateway " + url + u" " + LogStamp());
    WriteLog(u"TestConnectionWebB: entro nel loop ");
    if (!WaitForNavigation()) return TimedOut();
    return form_.iNavigateState < 0 ? NavigationFailed() : Arrived();
  }

 private:
  // Runs one browser step; a failure (no browser included) becomes the last error.
  template <class Operation>
  bool Step(Operation&& operation) {
    try {
      if (!form_.WebBrowser) platform::RaiseRuntimeError(platform::kErrObjectNotSet);
      std::forward<Operation>(operation)(*form_.WebBrowser);
      return true;
    } catch (...) {
      RememberFailure();
      return false;
    }
  }

  // Call only from inside a catch block.
  void RememberFailure() {
    lastError_ = platform::CurrentExceptionAsAutomationError();
    form_.probeLastError = lastError_->Description().str();
  }

  void ClearError() {
    lastError_.reset();
    form_.probeLastError.clear();
  }

  ProbeVerdict AlreadyPassed() {
    WriteLog(u"TestConnectionWebB: START " + LogStamp());
    WriteLog(u"TestConnectionWebB: OK       gi\u00e0 superata precedentemente");
    WriteLog(kEndLineAlreadyPassed);
    return ProbeVerdict::kArrived;
  }

  static std::u16string ProbeUrl() {
    const bool encrypted = core::ThisThreadState().EncryptSSL.IsOn();
    return (encrypted ? u"Https://" : u"http://") + ProbeAddress();
  }

  void OpenBrowser() {
    try {
      form_.WebBrowser = platform::MakeProbeBrowser();
    } catch (...) {
      RememberFailure();
    }
    Step([](ProbeBrowser& b) { b.SetEvents(FormEvents()); });
    Step([](ProbeBrowser& b) { b.SetAddressBar(false); });
    Step([](ProbeBrowser& b) { b.SetStatusBar(false); });
    Step([](ProbeBrowser& b) { b.SetVisible(false); });
  }

  // The events reach whichever exchange form belongs to the thread that pumps them.
  static platform::ProbeBrowserEvents FormEvents() {
    return {
        [](std::int32_t progress, std::int32_t progressMax) {
          ThisThreadExchangeForm().WebBrowser_ProgressChange(progress, progressMax);
        },
        [](const BStr& url) { ThisThreadExchangeForm().WebBrowser_NavigateComplete2(url); },
        [](const BStr& url, std::int32_t statusCode) {
          ThisThreadExchangeForm().WebBrowser_NavigateError(url, statusCode);
        },
    };
  }

  // False when the browser stayed busy past the limit. A browser that cannot answer is not busy.
  bool WaitUntilIdle() {
    for (int polls = 0;;) {
      bool busy = false;
      Step([&](ProbeBrowser& b) { busy = b.Busy(); });
      if (!busy) return true;
      Pause();
      if (++polls > kBusyPollLimit) return false;
    }
  }

  bool StartNavigation(const std::u16string& url) {
    if (Step([&](ProbeBrowser& b) { b.Navigate2(url); })) return true;
    ClearError();
    return Step([&](ProbeBrowser& b) { b.Navigate(url); });
  }

  // False on a time-out. The browser's events arrive while the messages are processed.
  bool WaitForNavigation() {
    int countdown = 0;
    int polls = 0;
    while (form_.iNavigateState == 0) {
      platform::PumpIgnoringHostErrors();
      Pause();
      if (form_.bProgress.IsOn()) {
        if (countdown == 1) WriteLog(u"TestConnectionWebB: Inizio conto alla rovescia TIMEOUT");
        ++countdown;
      }
      if (countdown > kCountdownLimit) return false;
      if (++polls > kWaitPollLimit) {
        StopAndQuit();
        return false;
      }
    }
    return true;
  }

  void StopAndQuit() {
    Step([](ProbeBrowser& b) { b.Stop(); });
    Step([](ProbeBrowser& b) { b.Quit(); });
  }

  void LogDocument(const std::u16string& suffix, bool bodyToo) {
    if (bodyToo) {
      Step([](ProbeBrowser& b) { WriteLog(u"TestConnectionWebB:" + b.DocumentBodyText().str()); });
    }
    Step([&](ProbeBrowser& b) {
      WriteLog(u"TestConnectionWebB:" + b.DocumentReadyState().str() + suffix);
    });
  }

  ProbeVerdict NavigationFailed() {
    WriteLog(u"TestConnectionWebB: ATTENZIONE Risposta negativa dal server " +
             platform::ToDecimal(form_.iNavigateState) + u" " + LogStamp());
    LogDocument(u"", true);
    WriteLog(kEndLine);
    StopAndQuit();
    form_.iNavigateState = 0;
    form_.WebBrowser.reset();
    return ProbeVerdict::kNavigationError;
  }

  ProbeVerdict Arrived() {
    StopAndQuit();
    LogDocument(u" " + LogStamp(), false);
    WriteLog(u"TestConnectionWebB: OK");
    WriteLog(kEndLine);
    form_.WebBrowser.reset();
    return ProbeVerdict::kArrived;
  }

  ProbeVerdict CannotNavigate() {
    const std::int32_t number = lastError_ ? lastError_->Number() : 0;
    WriteLog(u"TestConnectionWebB: ERROR WEBBROWSER n\u00b0 " + platform::ToDecimal(number) +
             u" Descrizione Errore " + form_.probeLastError + u" " + LogStamp());
    WriteLog(kEndLine);
    form_.WebBrowser.reset();
    return ProbeVerdict::kCannotNavigate;
  }

  ProbeVerdict TimedOut() {
    WriteLog(u"TestConnectionWebB: ERROR Fine del TIMEOUT " + LogStamp());
    WriteLog(kEndLine);
    form_.WebBrowser.reset();
    return ProbeVerdict::kTimedOut;
  }

  ExchangeForm& form_;
  std::optional<AutomationError> lastError_;
};

}  // namespace

ProbeVerdict ExchangeForm::TestConnectionWebB() {
  return Probe(*this).Run();
}

void ExchangeForm::WebBrowser_ProgressChange(std::int32_t, std::int32_t) {
  bProgress = VariantBool(true);
}

void ExchangeForm::WebBrowser_NavigateComplete2(const BStr&) {
  // A completion before any progress is not the probe page's: the wait goes on.
  if (iNavigateState == -1 || !bProgress.IsOn()) return;
  WriteLog(u"Evento WebBrowser: OK " + LogStamp());
  iNavigateState = 1;
}

void ExchangeForm::WebBrowser_NavigateError(const BStr&, std::int32_t statusCode) {
  WriteLog(u"Evento WebBrowser: Errore di non comunicazione " + LogStamp());
  iNavigateState = -1;
  if (statusCode == kProxyAuthenticationRequired) iCodeTest = ORVULINK_TEST_PROXY;
  if (statusCode == kNotFound) iCodeTest = ORVULINK_TEST_PROTOCOLSSL;
}

}  // namespace orvulink::gateway
