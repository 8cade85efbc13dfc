// The probe browser on WinHTTP. No browser object is at hand on every Windows (nor under Wine),
// so a navigation is one GET that follows redirects, run on a worker thread so that the caller's
// thread stays free; its progress and outcome arrive as events through the thread's message
// pump, in the order a browser gives them.
#include "platform/system.hpp"

#include "platform/page_text.hpp"
#include "platform/probe_browser_front.hpp"
#include "platform/probe_errors.hpp"
#include "platform/probe_events.hpp"
#include "platform/pump.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"
#include "platform/windows/win32.hpp"
#include "platform/windows/winhttp_transfer.hpp"

#include <atomic>
#include <thread>
#include <utility>

namespace orvulink::platform {
namespace {

// A navigation outlasts the probe's own wait of about two minutes.
constexpr std::chrono::milliseconds kTransferTimeout{150'000};

std::int32_t InternetErrorFor(std::int32_t winHttpError) {
  if (winHttpError >= windows::kWinHttpFirstCertificateError &&
      winHttpError <= windows::kWinHttpLastCertificateError) {
    return kInetSecurityProblem;
  }
  switch (winHttpError) {
    case windows::kWinHttpNameNotResolved:
    case windows::kWinHttpCannotConnect:
      return kInetResourceNotFound;
    case windows::kWinHttpTimeout:
      return kInetConnectionTimeout;
    case windows::kWinHttpSecureFailure:
      return kInetSecurityProblem;
    default:
      return kInetDownloadFailure;
  }
}

bool IsWebAddress(const std::u16string& url) {
  const auto starts = [&](std::u16string_view scheme) {
    return url.size() > scheme.size() &&
           EqualFolded(std::u16string_view(url).substr(0, scheme.size()), scheme);
  };
  return starts(u"http://") || starts(u"https://");
}

// What the worker hands back: the answer, or the WinHTTP error that ended it.
struct Outcome {
  std::atomic<bool> done{false};
  windows::TransferAnswer answer;
  std::int32_t error = 0;
};

struct Navigation {
  BStr url;
  std::unique_ptr<windows::Transfer> transfer;
  std::shared_ptr<Outcome> outcome = std::make_shared<Outcome>();
  std::thread worker;

  ~Navigation() {
    transfer->Cancel();
    if (worker.joinable()) worker.join();
  }
};

class BrowserCore : public std::enable_shared_from_this<BrowserCore> {
 public:
  ~BrowserCore() { navigation_.reset(); }

  void SetEvents(ProbeBrowserEvents events) { events_.SetEvents(std::move(events)); }
  bool Busy() const { return navigation_ != nullptr; }

  void Navigate(const BStr& url) {
    if (closed_) RaiseRuntimeError(kErrObjectNotSet);
    if (!IsWebAddress(url.str())) {
      throw AutomationError(
          kErrInvalidCall, BStr(kErrorSource),
          BStr("Cannot navigate to \"" + url.utf8() + "\": not an http(s) address"));
    }
    Stop();
    auto navigation = std::make_unique<Navigation>();
    navigation->url = url;
    windows::TransferRequest request;
    request.method = L"GET";
    request.url = win32::Wide(url.str());
    request.timeout = kTransferTimeout;
    request.followRedirects = true;
    navigation->transfer = std::make_unique<windows::Transfer>(std::move(request));
    navigation->worker =
        std::thread([transfer = navigation->transfer.get(), outcome = navigation->outcome] {
          try {
            outcome->answer = transfer->Perform();
          } catch (const AutomationError& error) {
            outcome->error = error.Number();
          } catch (...) {
            outcome->error = windows::kWinHttpCancelled;
          }
          outcome->done = true;
        });
    navigation_ = std::move(navigation);
    pump_ = AddPumpSource([weak = weak_from_this()] {
      if (const auto core = weak.lock()) core->Poll();
    });
  }

  void Stop() {
    events_.Forget();
    navigation_.reset();
    pump_.reset();
  }

  void Quit() {
    Stop();
    events_.SetEvents({});
    document_.Drop();
    closed_ = true;
  }

  ProbeDocument& Document() { return document_; }

 private:
  void Poll() {
    if (!navigation_ || !navigation_->outcome->done) return;
    const std::shared_ptr<Outcome> outcome = navigation_->outcome;
    const BStr url = navigation_->url;
    navigation_.reset();
    pump_.reset();
    const windows::TransferAnswer& answer = outcome->answer;
    document_.Arrived(answer.body, BStr(win32::Narrow16(answer.contentType)).utf8());
    if (outcome->error != 0) return events_.Finished(url, InternetErrorFor(outcome->error), 0);
    const auto size = static_cast<std::int32_t>(answer.body.size());
    events_.Progress(size, size);
    events_.Finished(url, 0, answer.status);
  }

  std::unique_ptr<Navigation> navigation_;
  std::unique_ptr<PumpSource> pump_;
  ProbeEventQueue events_;
  ProbeDocument document_;  // the last page that arrived
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<ProbeBrowser> system::MakeProbeBrowser() {
  return std::make_unique<ProbeBrowserFront<BrowserCore>>(std::make_shared<BrowserCore>());
}

}  // namespace orvulink::platform
