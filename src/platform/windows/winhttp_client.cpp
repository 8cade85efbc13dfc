// The HTTP client on WinHTTP: one transfer per send, POSTing the body as a Windows-1252 form
// body. A transport failure raises its WinHTTP error number (12xxx); an HTTP error status is an
// answer, not a failure.
#include "platform/system.hpp"

#include "platform/http_status.hpp"
#include "platform/page_text.hpp"
#include "platform/text.hpp"
#include "platform/windows/win32.hpp"
#include "platform/windows/winhttp_transfer.hpp"

#include <memory>

namespace orvulink::platform {
namespace {

class WinHttpClient final : public HttpClient {
 public:
  void SetProxy(const BStr& hostPort) override { request_.proxy = win32::Wide(hostPort.str()); }
  void SetProxyUserName(const BStr& name) override {
    request_.proxyUserName = win32::Wide(name.str());
  }
  void SetProxyPassword(const BStr& password) override {
    request_.proxyPassword = win32::Wide(password.str());
  }
  void UseTls(bool on) override { request_.allTlsVersions = on; }
  void SetAddress(const BStr& url) override { request_.url = win32::Wide(url.str()); }
  void Reset() override { Record(0, {}); }
  void SetTimeout(std::chrono::milliseconds timeout) override { request_.timeout = timeout; }

  BStr Send(const BStr& body) override {
    Reset();
    request_.method = L"POST";
    request_.body = EncodeCp1252(body.str());
    request_.headers = L"Content-Type: application/x-www-form-urlencoded";
    windows::Transfer transfer(request_);
    windows::TransferAnswer answer;
    try {
      answer = transfer.Perform();
    } catch (const AutomationError& error) {
      Record(error.Number(), {});
      throw;
    }
    Record(answer.status, HttpReasonPhrase(answer.status));
    return BStr(DecodeAnswerBody(answer.body, BStr(win32::Narrow16(answer.contentType)).utf8()));
  }

  BStr StatusText() override { return statusText_; }
  std::int32_t StatusCode() override { return statusCode_; }

 private:
  void Record(std::int32_t code, std::string_view text) {
    statusCode_ = code;
    statusText_ = BStr(text);
  }

  windows::TransferRequest request_;
  std::int32_t statusCode_ = 0;
  BStr statusText_;
};

}  // namespace

std::unique_ptr<HttpClient> system::MakeHttpClient() {
  return std::make_unique<WinHttpClient>();
}

}  // namespace orvulink::platform
