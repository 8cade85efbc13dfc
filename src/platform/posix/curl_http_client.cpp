// The HTTP client on libcurl. Settings are only recorded until a send, which applies all of them
// to a freshly reset handle: a send never inherits an option from the one before, while the
// handle's connection cache still serves the retries of one exchange.
#include "platform/posix/curl_http_client.hpp"

#include "platform/http_status.hpp"
#include "platform/page_text.hpp"
#include "platform/posix/curl_global.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <chrono>
#include <cstdint>
#include <string>

namespace orvulink::platform {
namespace {

using std::chrono::milliseconds;

class CurlHttpClient final : public HttpClient {
 public:
  void SetProxy(const BStr& hostPort) override { proxy_ = hostPort.utf8(); }
  void SetProxyUserName(const BStr& name) override { proxyUserName_ = name.utf8(); }
  void SetProxyPassword(const BStr& password) override { proxyPassword_ = password.utf8(); }
  // Any request for encryption allows every TLS version libcurl offers. An https address
  // works without it as well: libcurl needs no switch for that.
  void UseTls(bool on) override { tls_ = on; }
  void SetAddress(const BStr& url) override { address_ = url.utf8(); }
  void Reset() override { RecordStatus(0, {}); }
  void SetTimeout(milliseconds timeout) override { timeout_ = timeout; }

  BStr Send(const BStr& body) override {
    Reset();
    requestBody_ = EncodeCp1252(body.str());
    answer_.clear();
    try {
      ApplySettings();
    } catch (const AutomationError& error) {
      RecordStatus(error.Number(), {});
      throw;
    }
    const CURLcode result = curl_easy_perform(easy_.get());
    if (result != CURLE_OK) RaiseTransportFailure(result);
    const long status = ResponseCode();
    RecordStatus(status, HttpReasonPhrase(status));
    return BStr(DecodeAnswerBody(answer_, CurlContentType(easy_)));
  }

  BStr StatusText() override { return statusText_; }
  std::int32_t StatusCode() override { return statusCode_; }

 private:
  void ApplySettings() {
    easy_.ResetOptions();
    easy_.SetHeaders({"Content-Type: application/x-www-form-urlencoded",
                      // The gateway answers at once; waiting for "100 Continue" only adds delay.
                      "Expect:"});
    easy_.Set(CURLOPT_URL, address_);
    RestrictCurlToWeb(easy_);
    easy_.Set(CURLOPT_USERAGENT, "OrvuLink");
    ApplyRequestBody();
    ApplyTimeout();
    ApplyProxy();
    ApplyTls();
  }

  void ApplyRequestBody() {
    easy_.Set(CURLOPT_POST, 1L);
    easy_.Set(CURLOPT_POSTFIELDS, requestBody_.data());
    easy_.Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody_.size()));
    easy_.Set(CURLOPT_WRITEFUNCTION, &AppendToString);
    easy_.Set(CURLOPT_WRITEDATA, static_cast<void*>(&answer_));
  }

  void ApplyTimeout() {
    easy_.Set(CURLOPT_TIMEOUT_MS, CurlMilliseconds(timeout_));
    easy_.Set(CURLOPT_CONNECTTIMEOUT_MS, CurlMilliseconds(timeout_));
  }

  void ApplyProxy() {
    // Without a proxy of its own the client leaves libcurl to the system's configuration
    // (http_proxy, https_proxy, no_proxy).
    if (!proxy_.empty()) {
      easy_.Set(CURLOPT_PROXY, proxy_);
      // A proxy named by hand serves every host, whatever no_proxy says.
      easy_.Set(CURLOPT_NOPROXY, "");
    }
    if (proxyUserName_.empty()) return;
    easy_.Set(CURLOPT_PROXYUSERNAME, proxyUserName_);
    easy_.Set(CURLOPT_PROXYPASSWORD, proxyPassword_);
    easy_.Set(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
  }

  void ApplyTls() {
    if (tls_) easy_.Set(CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1));
    ApplyCurlTrustSettings(easy_);
  }

  long ResponseCode() const {
    long code = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &code);
    return code;
  }

  void RecordStatus(long code, std::string_view text) {
    statusCode_ = static_cast<std::int32_t>(code);
    statusText_ = BStr(text);
  }

  [[noreturn]] void RaiseTransportFailure(CURLcode result) {
    answer_.clear();
    RecordStatus(CurlErrorNumber(result), {});
    throw AutomationError(CurlErrorNumber(result), BStr(kErrorSource),
                          BStr("HTTP request failed: " + easy_.ErrorText(result)));
  }

  CurlEasy easy_;
  std::string proxy_;
  std::string proxyUserName_;
  std::string proxyPassword_;
  bool tls_ = false;
  std::string address_;
  milliseconds timeout_{0};
  std::string requestBody_;
  std::string answer_;
  std::int32_t statusCode_ = 0;
  BStr statusText_;
};

}  // namespace

std::unique_ptr<HttpClient> MakeCurlHttpClient() {
  EnsureCurlGlobalInit();
  return std::make_unique<CurlHttpClient>();
}

}  // namespace orvulink::platform
