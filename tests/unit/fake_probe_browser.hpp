// A scripted probe browser: when a navigation starts it posts the script's events through the
// thread's real message pump, each a given number of pumps later; it records what the probe did
// with it. Events of a browser already released are dropped, as a real browser's are.
#pragma once

#include <orvulink/control.hpp>

#include "fake_network.hpp"
#include "gateway/exchange_form.hpp"
#include "platform/pump.hpp"
#include "test_support.hpp"

#include <algorithm>
#include <climits>
#include <functional>

namespace orvulink::testing {

struct ProbeEvent {
  enum Kind { kProgress, kComplete, kError } kind;
  std::int32_t statusCode = 0;  // of kError
  int pumpsLater = 0;           // 0: delivered by the first pump after the navigation started
};

struct ProbeScript {
  std::vector<ProbeEvent> events;  // posted at every navigation that starts
  bool createRaises = false;
  bool navigate2Raises = false;
  bool navigateRaises = false;
  bool stopRaises = false;
  int busyAnswers = 0;             // Busy() reports true this many times; INT_MAX for ever
  std::vector<std::string> calls;  // "Navigate2(url)", "Navigate(url)", "Stop()", "Quit()"
  int browsersMade = 0;
  int browsersAlive = 0;

  static constexpr int kForever = INT_MAX;
  bool Called(const std::string& call) const {
    return std::ranges::any_of(calls, [&](const auto& c) { return c.starts_with(call); });
  }
};

class FakeProbeBrowser : public platform::ProbeBrowser {
 public:
  explicit FakeProbeBrowser(std::shared_ptr<ProbeScript> script) : script_(std::move(script)) {
    ++script_->browsersMade;
    ++script_->browsersAlive;
  }
  ~FakeProbeBrowser() override { --script_->browsersAlive; }

  void SetEvents(platform::ProbeBrowserEvents events) override { events_ = std::move(events); }
  void SetAddressBar(bool) override {}
  void SetStatusBar(bool) override {}
  void SetVisible(bool) override {}
  bool Busy() override {
    if (script_->busyAnswers == 0) return false;
    if (script_->busyAnswers != ProbeScript::kForever) --script_->busyAnswers;
    return true;
  }
  void Navigate2(const BStr& url) override { Start("Navigate2", url, script_->navigate2Raises); }
  void Navigate(const BStr& url) override { Start("Navigate", url, script_->navigateRaises); }
  void Stop() override {
    script_->calls.push_back("Stop()");
    if (script_->stopRaises) throw AutomationError(-2147467259, u"fake", u"stop failed");
  }
  void Quit() override { script_->calls.push_back("Quit()"); }
  void SetDocumentBodyText(const BStr&) override {
    if (!hasDocument_) throw AutomationError(91, u"fake", u"no document");
  }
  BStr DocumentBodyText() override { return BStr(); }
  BStr DocumentReadyState() override { return BStr("complete"); }

 private:
  void Start(const std::string& how, const BStr& url, bool raises) {
    script_->calls.push_back(how + "(" + url.utf8() + ")");
    if (raises) throw AutomationError(-2147467259, u"fake", BStr(how + " refused"));
    hasDocument_ = true;
    for (const ProbeEvent& event : script_->events)
      PostLater(event, event.pumpsLater);
  }

  void PostLater(ProbeEvent event, int pumps) {
    platform::PostThreadMessage([this, alive = std::weak_ptr<int>(alive_), event, pumps] {
      if (alive.expired()) return;
      if (pumps > 0) return PostLater(event, pumps - 1);
      if (event.kind == ProbeEvent::kProgress) events_.ProgressChange(1, 100);
      if (event.kind == ProbeEvent::kComplete) events_.NavigateComplete2(BStr("probe"));
      if (event.kind == ProbeEvent::kError) events_.NavigateError(BStr("probe"), event.statusCode);
    });
  }

  std::shared_ptr<ProbeScript> script_;
  platform::ProbeBrowserEvents events_;
  bool hasDocument_ = false;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// Installs a factory of FakeProbeBrowser over `script` for the life of the scope.
class ScopedFakeProbeBrowser {
 public:
  ScopedFakeProbeBrowser() : script(std::make_shared<ProbeScript>()) {
    previous_ =
        platform::SetProbeBrowserFactory([s = script]() -> std::unique_ptr<platform::ProbeBrowser> {
          if (s->createRaises) throw AutomationError(429, u"fake", u"no browser here");
          return std::make_unique<FakeProbeBrowser>(s);
        });
  }
  ~ScopedFakeProbeBrowser() { platform::SetProbeBrowserFactory(previous_); }
  ScopedFakeProbeBrowser(const ScopedFakeProbeBrowser&) = delete;
  ScopedFakeProbeBrowser& operator=(const ScopedFakeProbeBrowser&) = delete;

  std::shared_ptr<ProbeScript> script;

 private:
  platform::ProbeBrowserFactory previous_;
};

// The scene of an exchange test: a control with its defaults, a standing clock, a switchable
// online check, the scripted HTTP client and probe browser, a known gateway host and a fresh
// exchange form. Every HTTP client and browser must be released by the end of the test.
class ExchangeScene : public ::testing::Test {
 protected:
  static constexpr const char* kHostVariable = "ORVULINK_GATEWAY_HOST";
  static constexpr const char* kHost = "gw.test:8443";

  void SetUp() override {
    if (const char* previous = std::getenv(kHostVariable)) previousHost_ = previous;
    setenv(kHostVariable, kHost, 1);
    control = OrvuLinkActiveX::Create();
    form = gateway::ExchangeForm();
    platform::SetMessagePump(nullptr);
    platform::PumpMessages();  // what an earlier test left behind is dropped
  }
  void TearDown() override {
    EXPECT_EQ(http.script->clientsAlive, 0);
    EXPECT_EQ(browser.script->browsersAlive, 0);
    platform::SetMessagePump(nullptr);
    previousHost_ ? setenv(kHostVariable, previousHost_->c_str(), 1) : unsetenv(kHostVariable);
  }

  // The pauses of `length` the component took.
  int Pauses(std::chrono::milliseconds length) const {
    return static_cast<int>(std::ranges::count(clock->sleeps, length));
  }

  std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
  std::shared_ptr<SwitchableOnlineCheck> online = std::make_shared<SwitchableOnlineCheck>();
  ScopedFakeHttp http;
  ScopedFakeProbeBrowser browser;
  std::shared_ptr<OrvuLinkActiveX> control;
  gateway::ExchangeForm& form = gateway::ThisThreadExchangeForm();

 private:
  ScopedClock scopedClock_{clock};
  ScopedOnlineCheck scopedOnline_{online};
  std::optional<std::string> previousHost_;
};

}  // namespace orvulink::testing
