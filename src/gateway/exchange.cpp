// getUrl: one command string to the gateway and its answer back, through a fresh HTTP client,
// with up to three tries. Every step tolerates failure; only three unacceptable answers raise.
#include <orvulink/enums.hpp>
#include <orvulink/platform.hpp>

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/address.hpp"
#include "gateway/diagnostics.hpp"
#include "gateway/exchange_form.hpp"
#include "gateway/log.hpp"
#include "platform/clock.hpp"
#include "platform/conversions.hpp"
#include "platform/reentry.hpp"
#include "platform/suppressed.hpp"
#include "platform/text.hpp"
#include "typelib/string_table.hpp"

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace orvulink::gateway {
namespace {

using namespace std::chrono_literals;
using core::ControlState;

constexpr std::chrono::milliseconds kFirstTryTimeout = 20'000ms;
constexpr std::chrono::milliseconds kRetryTimeout = 60'000ms;
constexpr std::chrono::milliseconds kRetryPause = 500ms;
constexpr std::int16_t kLastTry = 2;
constexpr std::size_t kPageHead = 16;
constexpr std::size_t kPageTail = 20;
constexpr std::int16_t kLowestAcceptedCode = 88;
constexpr std::int16_t kHighestAcceptedCode = 99;

// A step that fails is skipped and the exchange goes on with the next one.
using platform::Suppressed;

const std::u16string& SectionEnd() {
  static const std::u16string line = u"getUrl:" + std::u16string(58, u'*');
  return line;
}

bool UsesAutomaticProxy(const ControlState& state) {
  return state.AutomaticProxy.IsOn();
}

std::u16string ErrorText(OrvuLink_ErrorRuntime number) {
  return typelib::ErrorText(number).str();
}

// The page frame: 16 characters of head, and 20 of tail when that many remain.
std::u16string CutPageFrame(std::u16string answer) {
  if (answer.size() <= kPageHead) return {};
  answer.erase(0, kPageHead);
  if (answer.size() >= kPageTail) answer.resize(answer.size() - kPageTail);
  return answer;
}

bool IsAcceptable(const std::u16string& text) {
  const std::u16string code = text.substr(0, 2);
  if (!platform::IsNumeric(code)) return false;
  if (code == u"00" || code == u"01") return true;
  const std::int16_t value = platform::TextToInteger(code);
  return value >= kLowestAcceptedCode && value <= kHighestAcceptedCode;
}

// One call of getUrl: owns the HTTP client, which goes with it whichever way the call ends.
class GatewayExchange {
 public:
  GatewayExchange(ExchangeForm& form, ControlState& state, AnswerForm answerForm)
      : form_(form), state_(state), answerForm_(answerForm) {}

  std::u16string Run(const std::u16string& request) {
    Suppressed([&] { client_ = platform::MakeHttpClient(); });
    LogConnectivityCheck();
    if (!IsOnline()) return RecordFailure(ORVULINK_TEST_NETWORK, ORVULINK_ERROR_NETWORK);
    if (!SetUpConnection()) return {};
    SetUpAddress();
    for (;;) {
      std::u16string answer;
      if (!TryOnce(request, answer)) return {};
      if (answerForm_ == AnswerForm::kRaw) return answer;
      std::u16string text = CutPageFrame(std::move(answer));
      if (IsAcceptable(text)) return text;
      if (try_ >= kLastTry) core::RaiseNumbered(state_, ORVULINK_ERROR_NETWORK);
      Suppressed([] { platform::SleepFor(kRetryPause); });
      ++try_;
    }
  }

 private:
  template <class Operation>
  void OnClient(Operation&& operation) noexcept {
    Suppressed([&] {
      if (client_) operation(*client_);
    });
  }

  void LogConnectivityCheck() {
    WriteLog(u"");
    WriteLog(u"getUrl: CONTROLLO CONNETIVIT\u00e0 " + LogStamp());
    WriteLog(u"");
  }

  // A check that cannot answer counts as offline.
  static bool IsOnline() noexcept {
    try {
      return platform::GetOnlineCheck()->IsOnline();
    } catch (...) {
      return false;
    }
  }

  std::u16string RecordFailure(OrvuLink_CodeTestConnection code, OrvuLink_ErrorRuntime number,
                               const std::u16string& detail = {}) {
    form_.iCodeTest = static_cast<std::int16_t>(code);
    Record(number, detail);
    return {};
  }

  void Record(OrvuLink_ErrorRuntime number, const std::u16string& detail = {}) {
    state_.ErrDescription = ErrorText(number) + detail;
    state_.ErrCode = static_cast<std::int16_t>(number);
  }

  bool SetUpConnection() {
    if (!UsesAutomaticProxy(state_)) {
      SetProxy(ManualProxy(), state_.ProxyUsername, state_.ProxyPassword);
      return true;
    }
    std::optional<ProbeVerdict> verdict;
    const bool reported = DiagnosticsWanted();
    const auto started = reported ? ReportProbeStart() : std::chrono::steady_clock::time_point{};
    Suppressed([&] { verdict = form_.TestConnectionWebB(); });
    if (reported) ReportProbeEnd(started, verdict);
    if (verdict == ProbeVerdict::kArrived) {
      SetProxy(u"", u"", u"");
      return true;
    }
    RecordProbeFailure(verdict);
    return false;
  }

  std::chrono::steady_clock::time_point ReportProbeStart() {
    ExchangeTry report;
    report.probe = true;
    report.address = platform::Utf16ToUtf8((state_.EncryptSSL.IsOn() ? u"https://" : u"http://") +
                                           ProbeAddress());
    ReportExchangeTry(report);
    return std::chrono::steady_clock::now();
  }

  void ReportProbeEnd(std::chrono::steady_clock::time_point started,
                      std::optional<ProbeVerdict> verdict) {
    static constexpr std::array<std::pair<ProbeVerdict, const char*>, 4> kWords = {
        {{ProbeVerdict::kArrived, "arrived"},
         {ProbeVerdict::kTimedOut, "timed out"},
         {ProbeVerdict::kNavigationError, "navigation error"},
         {ProbeVerdict::kCannotNavigate, "cannot navigate"}}};
    ExchangeTry report;
    report.stage = ExchangeTry::Stage::kFinished;
    report.probe = true;
    report.statusText = "failed";
    for (const auto& [value, word] : kWords) {
      if (verdict == value) report.statusText = word;
    }
    report.transportError = platform::Utf16ToUtf8(form_.probeLastError);
    report.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    ReportExchangeTry(report);
  }

  std::u16string ManualProxy() const {
    if (state_.Proxy.empty()) return {};
    return state_.Proxy + u":" + state_.ProxyPort;
  }

  void SetProxy(const std::u16string& hostPort, const std::u16string& user,
                const std::u16string& password) {
    OnClient([&](platform::HttpClient& c) { c.SetProxy(hostPort); });
    OnClient([&](platform::HttpClient& c) { c.SetProxyUserName(user); });
    OnClient([&](platform::HttpClient& c) { c.SetProxyPassword(password); });
  }

  // No verdict: the probe itself failed, which counts as no network.
  void RecordProbeFailure(std::optional<ProbeVerdict> verdict) {
    if (!verdict) {
      RecordFailure(ORVULINK_TEST_NETWORK, ORVULINK_ERROR_NETWORK);
      return;
    }
    const std::u16string detail = u"\t" + form_.probeLastError;
    switch (*verdict) {
      case ProbeVerdict::kTimedOut:
        RecordFailure(ORVULINK_TEST_TIMER, ORVULINK_ERROR_NETWORK, detail);
        return;
      case ProbeVerdict::kNavigationError:
        // The navigation-error handler may already have named the failure (407, 404).
        if (form_.iCodeTest == 0) form_.iCodeTest = ORVULINK_TEST_GATEWAY;
        Record(ORVULINK_ERROR_NETWORK, detail);
        return;
      case ProbeVerdict::kCannotNavigate:
        RecordFailure(ORVULINK_TEST_EXPLORER, ORVULINK_ERROR_EXPLORER, detail);
        return;
      case ProbeVerdict::kArrived:
        return;  // not a failure
    }
  }

  void SetUpAddress() {
    const bool encrypted = state_.EncryptSSL.IsOn();
    if (encrypted) OnClient([](platform::HttpClient& c) { c.UseTls(true); });
    const std::u16string url = (encrypted ? u"https://" : u"http://") + GatewayAddress();
    OnClient([&](platform::HttpClient& c) { c.SetAddress(url); });
    if (DiagnosticsWanted()) address_ = platform::Utf16ToUtf8(url);
  }

  // Sends once; false when the gateway answered but refused, which ends the call.
  bool TryOnce(const std::u16string& request, std::u16string& answer) {
    OnClient([](platform::HttpClient& c) { c.Reset(); });
    const auto timeout = try_ == 0 ? kFirstTryTimeout : kRetryTimeout;
    OnClient([&](platform::HttpClient& c) { c.SetTimeout(timeout); });
    LogRequest(request);
    state_.LastRequest = request;
    const bool reported = DiagnosticsWanted();
    if (reported) ReportStart(request);
    const auto started =
        reported ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
    std::u16string transportError;
    OnClient([&](platform::HttpClient& c) {
      try {
        answer = c.Send(request).str();
      } catch (const AutomationError& error) {
        transportError = error.Description().str();  // kept for the host's diagnostics
        throw;
      }
    });
    if (reported) ReportEnd(started, transportError);
    state_.LastRespose = answer;
    LogAnswer(answer);
    if (answer.empty()) return true;
    return AcceptStatus();
  }

  // The log lines are not even composed while the log is off: the answer would be copied and
  // the clock read for nothing.
  void LogAnswer(const std::u16string& answer) {
    if constexpr (!kLogEnabled) return;
    WriteLog(u"********************************Risposta: [" + LogStamp() +
             u"]***************************");
    if (answer.empty()) {
      WriteLog(u"getUrl: Risposta vuota " + LogStamp());
      WriteLog(SectionEnd());
      return;
    }
    WriteLog(answer + u" " + LogStamp());
  }

  ExchangeTry TryReport(ExchangeTry::Stage stage) const {
    ExchangeTry report;
    report.stage = stage;
    report.address = address_;
    report.attempt = try_ + 1;
    return report;
  }

  void ReportStart(const std::u16string& request) {
    ExchangeTry report = TryReport(ExchangeTry::Stage::kStarted);
    report.command = RedactedCommand(request);
    ReportExchangeTry(report);
  }

  void ReportEnd(std::chrono::steady_clock::time_point started, const std::u16string& error) {
    ExchangeTry report = TryReport(ExchangeTry::Stage::kFinished);
    OnClient([&](platform::HttpClient& c) { report.status = c.StatusCode(); });
    OnClient([&](platform::HttpClient& c) { report.statusText = c.StatusText().utf8(); });
    if (!error.empty()) report.status = 0;  // the transport's failure number is no HTTP status
    report.transportError = platform::Utf16ToUtf8(error);
    report.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    ReportExchangeTry(report);
  }

  void LogRequest(const std::u16string& request) {
    if constexpr (!kLogEnabled) return;
    WriteLog(u"");
    WriteLog(u"********************************Richiesta: [" + LogStamp() +
             u"]***************************");
    WriteLog(u"getUrl: Tentativo n\u00b0 " + platform::ToDecimal(try_));
    WriteLog(request);
    WriteLog(std::u16string(79, u'*'));
    WriteLog(u"");
  }

  bool AcceptStatus() {
    std::u16string statusText;
    OnClient([&](platform::HttpClient& c) { statusText = c.StatusText().str(); });
    if (statusText == u"OK") {
      WriteLog(u"getUrl: Non sono occorsi errori");
      WriteLog(SectionEnd());
      return true;
    }
    std::int32_t statusCode = 0;
    OnClient([&](platform::HttpClient& c) { statusCode = c.StatusCode(); });
    WriteLog(u"getUrl: Error Code " + platform::ToDecimal(statusCode));
    WriteLog(u"getUrl: Error Description " + statusText);
    WriteLog(u"getUrl: END");
    ClassifyRefusal(statusText, statusCode);
    Record(ORVULINK_ERROR_NETWORK);
    WriteLog(SectionEnd());
    return false;
  }

  void ClassifyRefusal(const std::u16string& statusText, std::int32_t statusCode) {
    const bool manualProxy = !UsesAutomaticProxy(state_) && !state_.Proxy.empty();
    if (statusText.empty() && statusCode != 0 && manualProxy) form_.iCodeTest = ORVULINK_TEST_PROXY;
    if (statusText == u"Unauthorized") form_.iCodeTest = ORVULINK_TEST_PROXY;
    if (form_.iCodeTest == 0) form_.iCodeTest = ORVULINK_TEST_GATEWAY;
  }

  ExchangeForm& form_;
  ControlState& state_;
  const AnswerForm answerForm_;
  std::int16_t try_ = 0;
  std::unique_ptr<platform::HttpClient> client_;
  std::string address_;  // for the diagnostics, set only when a host wants them
};

}  // namespace

std::u16string ExchangeForm::getUrl(const std::u16string& request, AnswerForm form) {
  // The exchange's state (tries, raw mode, probe) is one per thread: an exchange started from the
  // host's code while another is in flight is refused.
  const platform::CommandScope inProgress;
  return GatewayExchange(*this, core::ThisThreadState(), form).Run(request);
}

}  // namespace orvulink::gateway
