// The probe browser on a libcurl multi handle. The browser object is a thin owner of shared inner
// state; everything posted to the pump (the poll, the events) holds that state only weakly and
// carries the number of its navigation, so a browser stopped or destroyed in the meantime -
// even from inside one of its own event handlers - is never touched by what was posted before.
#include "platform/posix/curl_probe_browser.hpp"

#include "platform/page_text.hpp"
#include "platform/posix/curl_global.hpp"
#include "platform/probe_browser_front.hpp"
#include "platform/probe_events.hpp"
#include "platform/pump.hpp"
#include "platform/runtime_error.hpp"

#include <algorithm>
#include <cctype>
#include <limits>
#include <utility>

namespace orvulink::platform {
namespace {

using std::chrono::milliseconds;

constexpr long kMaxRedirects = 10;

struct MultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using CurlMulti = std::unique_ptr<CURLM, MultiCleanup>;

struct UrlCleanup {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::int32_t InternetErrorFor(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
      return kInetResourceNotFound;
    case CURLE_OPERATION_TIMEDOUT:
      return kInetConnectionTimeout;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_USE_SSL_FAILED:
      return kInetSecurityProblem;
    default:
      return kInetDownloadFailure;
  }
}

std::int32_t ClampToInt32(curl_off_t value) {
  return static_cast<std::int32_t>(
      std::clamp<curl_off_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

std::string LowerAscii(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// An absolute http or https URL that libcurl can parse; the scheme may be written in any case.
bool IsWebAddress(const std::string& address) {
  const std::unique_ptr<CURLU, UrlCleanup> url(curl_url());
  if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) {
    return false;
  }
  char* scheme = nullptr;
  if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return false;
  const std::string folded = LowerAscii(scheme);
  curl_free(scheme);
  return folded == "http" || folded == "https";
}

// What one navigation's transfer collects; libcurl's callbacks write into it.
struct Transfer {
  explicit Transfer(BStr target) : url(std::move(target)) {}

  BStr url;
  CurlEasy easy;
  std::string body;
  std::size_t headerBytes = 0;
  std::size_t reportedBodyBytes = 0;
  std::size_t reportedHeaderBytes = 0;
};

std::size_t CountHeaderBytes(char*, std::size_t size, std::size_t count, void* transfer) {
  static_cast<Transfer*>(transfer)->headerBytes += size * count;
  return size * count;
}

class BrowserCore : public std::enable_shared_from_this<BrowserCore> {
 public:
  explicit BrowserCore(milliseconds transferTimeout)
      : transferTimeout_(transferTimeout), multi_(curl_multi_init()) {
    if (!multi_) {
      throw AutomationError(CurlErrorNumber(CURLE_FAILED_INIT), BStr(kErrorSource),
                            BStr("libcurl has no multi handle"));
    }
  }
  ~BrowserCore() { DetachTransfer(); }
  BrowserCore(const BrowserCore&) = delete;
  BrowserCore& operator=(const BrowserCore&) = delete;

  void SetEvents(ProbeBrowserEvents events) { events_.SetEvents(std::move(events)); }
  bool Busy() const { return transfer_ != nullptr; }

  void Navigate(const BStr& url) {
    if (closed_) {
      throw AutomationError(kErrObjectNotSet, BStr(kErrorSource),
                            BStr("The browser has been closed"));
    }
    const std::string address = url.utf8();
    if (!IsWebAddress(address)) {
      throw AutomationError(kErrInvalidCall, BStr(kErrorSource),
                            BStr("Cannot navigate to \"" + address + "\": not an http(s) address"));
    }
    Stop();  // a new navigation replaces the running one
    auto transfer = std::make_unique<Transfer>(url);
    Configure(*transfer, address);
    pump_ = AddPumpSource([weak = weak_from_this()] {
      if (const auto core = weak.lock()) core->Poll();
    });
    const CURLMcode added = curl_multi_add_handle(multi_.get(), transfer->easy.get());
    if (added != CURLM_OK) {
      throw AutomationError(kErrInvalidCall, BStr(kErrorSource),
                            BStr(std::string("Cannot navigate: ") + curl_multi_strerror(added)));
    }
    transfer_ = std::move(transfer);
  }

  void Stop() {
    events_.Forget();
    DetachTransfer();
    pump_.reset();
  }

  void Quit() {
    Stop();
    events_.SetEvents({});
    document_.Drop();
    multi_.reset();
    closed_ = true;
  }

  ProbeDocument& Document() { return document_; }

 private:
  void Configure(Transfer& transfer, const std::string& address) const {
    CurlEasy& easy = transfer.easy;
    easy.Set(CURLOPT_URL, address);
    RestrictCurlToWeb(easy);
    easy.Set(CURLOPT_HTTPGET, 1L);
    easy.Set(CURLOPT_FOLLOWLOCATION, 1L);
    easy.Set(CURLOPT_MAXREDIRS, kMaxRedirects);
    easy.Set(CURLOPT_USERAGENT, "OrvuLink");
    easy.Set(CURLOPT_TIMEOUT_MS, CurlMilliseconds(transferTimeout_));
    easy.Set(CURLOPT_CONNECTTIMEOUT_MS, CurlMilliseconds(transferTimeout_));
    easy.Set(CURLOPT_WRITEFUNCTION, &AppendToString);
    easy.Set(CURLOPT_WRITEDATA, static_cast<void*>(&transfer.body));
    easy.Set(CURLOPT_HEADERFUNCTION, &CountHeaderBytes);
    easy.Set(CURLOPT_HEADERDATA, static_cast<void*>(&transfer));
    // No proxy option: libcurl then follows the system's configuration (http_proxy, ...).
    ApplyCurlTrustSettings(easy);
  }

  // One non-blocking step of the transfer, on every pump of the creating thread.
  void Poll() {
    if (!transfer_) return;
    int running = 0;
    const CURLMcode performed = curl_multi_perform(multi_.get(), &running);
    ReportProgress();
    if (performed != CURLM_OK) return Finish(CURLE_RECV_ERROR);
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
      if (message->msg == CURLMSG_DONE) return Finish(message->data.result);
    }
  }

  // Every answer brings headers, so a completed page has always reported progress first.
  void ReportProgress() {
    Transfer& transfer = *transfer_;
    if (transfer.body.size() == transfer.reportedBodyBytes &&
        transfer.headerBytes == transfer.reportedHeaderBytes) {
      return;
    }
    transfer.reportedBodyBytes = transfer.body.size();
    transfer.reportedHeaderBytes = transfer.headerBytes;
    curl_off_t expected = -1;
    curl_easy_getinfo(transfer.easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    const std::int32_t progress = ClampToInt32(static_cast<curl_off_t>(transfer.body.size()));
    const std::int32_t progressMax = ClampToInt32(expected);
    events_.Progress(progress, progressMax);
  }

  void Finish(CURLcode result) {
    long status = 0;
    if (result == CURLE_OK) {
      curl_easy_getinfo(transfer_->easy.get(), CURLINFO_RESPONSE_CODE, &status);
    }
    document_.Arrived(transfer_->body, CurlContentType(transfer_->easy));
    const BStr url = transfer_->url;
    DetachTransfer();
    pump_.reset();
    events_.Finished(url, result != CURLE_OK ? InternetErrorFor(result) : 0,
                     static_cast<std::int32_t>(status));
  }

  // The removal's result is not needed: the handle is released either way.
  void DetachTransfer() {
    if (!transfer_) return;
    curl_multi_remove_handle(multi_.get(), transfer_->easy.get());
    transfer_.reset();
  }

  milliseconds transferTimeout_;
  CurlMulti multi_;
  std::unique_ptr<Transfer> transfer_;
  std::unique_ptr<PumpSource> pump_;
  ProbeEventQueue events_;
  ProbeDocument document_;  // the last page that arrived
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<ProbeBrowser> MakeCurlProbeBrowser(milliseconds transferTimeout) {
  EnsureCurlGlobalInit();
  return std::make_unique<ProbeBrowserFront<BrowserCore>>(
      std::make_shared<BrowserCore>(transferTimeout));
}

}  // namespace orvulink::platform
