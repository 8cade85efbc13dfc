// Scripted fakes of the network seams: an HTTP client whose answers a test queues, a probe
// browser whose events a test posts, and an online check with a switch. Each records what the
// component did with it, as readable lines.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orvulink::testing {

// One scripted answer of the HTTP client.
struct HttpAnswer {
  std::string body;  // UTF-8; "" for none
  std::string statusText = "OK";
  std::int32_t statusCode = 200;
  bool sendRaises = false;  // Send raises (transport failure) instead of answering
};

// Shared by every client the factory makes, so a test sees the whole conversation.
struct HttpScript {
  std::deque<HttpAnswer> answers;  // consumed one per Send; when empty, Send answers ""
  std::vector<std::string> calls;  // "SetProxy(gw:3128)", "SetTimeout(20000)", ...
  std::vector<std::string> sentBodies;
  int clientsAlive = 0;

  void Queue(HttpAnswer answer) { answers.push_back(std::move(answer)); }
  // A gateway page around `text`: 16 characters before, 20 after.
  static std::string Framed(const std::string& text) {
    return "<html>\r\n<body>\r\n" + text + "\r\n</body>\r\n</html>\r\n";
  }
};

class FakeHttpClient : public platform::HttpClient {
 public:
  explicit FakeHttpClient(std::shared_ptr<HttpScript> script) : script_(std::move(script)) {
    ++script_->clientsAlive;
  }
  ~FakeHttpClient() override { --script_->clientsAlive; }

  void SetProxy(const BStr& hostPort) override { Record("SetProxy(" + hostPort.utf8() + ")"); }
  void SetProxyUserName(const BStr& n) override { Record("SetProxyUserName(" + n.utf8() + ")"); }
  void SetProxyPassword(const BStr&) override {}
  void UseTls(bool on) override { Record(on ? "UseTls(on)" : "UseTls(off)"); }
  void SetAddress(const BStr& url) override { Record("SetAddress(" + url.utf8() + ")"); }
  void Reset() override {
    statusText_.clear();
    statusCode_ = 0;
  }
  void SetTimeout(std::chrono::milliseconds timeout) override {
    Record("SetTimeout(" + std::to_string(timeout.count()) + ")");
  }
  BStr Send(const BStr& body) override {
    script_->sentBodies.push_back(body.utf8());
    if (script_->answers.empty()) return BStr();
    HttpAnswer answer = std::move(script_->answers.front());
    script_->answers.pop_front();
    statusText_ = answer.statusText;
    statusCode_ = answer.statusCode;
    if (answer.sendRaises) {
      statusText_.clear();
      throw AutomationError(12007, u"OrvuLink", u"HTTP request failed: refused");
    }
    return BStr(answer.body);
  }
  BStr StatusText() override { return BStr(statusText_); }
  std::int32_t StatusCode() override { return statusCode_; }

 private:
  void Record(std::string call) { script_->calls.push_back(std::move(call)); }

  std::shared_ptr<HttpScript> script_;
  std::string statusText_;
  std::int32_t statusCode_ = 0;
};

// Installs a factory of FakeHttpClient over `script` for the life of the scope.
class ScopedFakeHttp {
 public:
  ScopedFakeHttp() : script(std::make_shared<HttpScript>()) {
    previous_ = platform::SetHttpClientFactory(
        [s = script] { return std::make_unique<FakeHttpClient>(s); });
  }
  ~ScopedFakeHttp() { platform::SetHttpClientFactory(previous_); }
  ScopedFakeHttp(const ScopedFakeHttp&) = delete;
  ScopedFakeHttp& operator=(const ScopedFakeHttp&) = delete;

  std::shared_ptr<HttpScript> script;

 private:
  platform::HttpClientFactory previous_;
};

struct SwitchableOnlineCheck : platform::OnlineCheck {
  bool online = true;
  int calls = 0;
  bool IsOnline() override {
    ++calls;
    return online;
  }
};

}  // namespace orvulink::testing
