#include <gtest/gtest.h>

#include "fake_probe_browser.hpp"
#include "platform/runtime_error.hpp"

#include <functional>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using namespace std::chrono_literals;
using testing::ProbeEvent;
using testing::ProbeScript;

class Probe : public testing::ExchangeScene {
 protected:
  ProbeScript& script = *browser.script;
  // The polls of the wait for the navigation: every 100 ms pause but the one after navigating.
  int WaitPolls() const { return Pauses(100ms) - 1; }
};

// A page that arrives passes the probe once for the thread; a completion before any progress
// does not count.
TEST_F(Probe, APageThatArrivesAfterProgressPassesOnceForTheThread) {
  script.events = {
      {ProbeEvent::kComplete}, {ProbeEvent::kProgress, 0, 1}, {ProbeEvent::kComplete, 0, 3}};
  control->EncryptSSL(true);
  EXPECT_EQ(form.TestConnectionWebB(), gateway::ProbeVerdict::kArrived);
  EXPECT_EQ(WaitPolls(), 4);
  EXPECT_EQ(script.calls.front(), "Navigate2(Https://" + std::string(kHost) + "/update/neton.htm)");
  EXPECT_EQ(form.iNavigateState, 1);
  EXPECT_EQ(form.TestConnectionWebB(), gateway::ProbeVerdict::kArrived);
  EXPECT_EQ(script.browsersMade, 1);
}

// How a navigation error's status is classified is the exchange's tests'.
// Navigate stands in for a failing Navigate2; when neither starts, or there is no browser, the
// probe ends at once with the last error.
TEST_F(Probe, NavigationThatCannotStart) {
  script.navigate2Raises = true;
  script.events = {{ProbeEvent::kProgress}, {ProbeEvent::kComplete}};
  EXPECT_EQ(form.TestConnectionWebB(), gateway::ProbeVerdict::kArrived);
  script = ProbeScript();
  form.iNavigateState = 0;
  script.navigate2Raises = script.navigateRaises = true;
  EXPECT_EQ(form.TestConnectionWebB(), gateway::ProbeVerdict::kCannotNavigate);
  EXPECT_EQ(form.probeLastError, u"Navigate refused");
  EXPECT_EQ(form.WebBrowser, nullptr);
  script.createRaises = true;
  EXPECT_EQ(form.TestConnectionWebB(), gateway::ProbeVerdict::kCannotNavigate);
  EXPECT_EQ(form.probeLastError, platform::RuntimeErrorText(platform::kErrObjectNotSet).str());
}

TEST_F(Probe, TimesOutAtEachOfItsThreeLimits) {
  const struct {
    const char* name;
    std::function<void(ProbeScript&)> script;
    int pauses;
    bool stopped, navigated;
  } cases[] = {
      {"no progress", [](auto&) {}, 1 + 1201, true, true},
      {"progress only",
       [](auto& s) {
         s.events = {{ProbeEvent::kProgress, 0, 5}};
       },
       1 + 5 + 401, false, true},
      {"busy", [](auto& s) { s.busyAnswers = ProbeScript::kForever; }, 401, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    script = ProbeScript();
    c.script(script);
    clock->sleeps.clear();
    EXPECT_EQ(form.TestConnectionWebB(), gateway::ProbeVerdict::kTimedOut);
    EXPECT_EQ(Pauses(100ms), c.pauses);
    EXPECT_EQ(script.Called("Stop()"), c.stopped);
    EXPECT_EQ(script.Called("Navigate2("), c.navigated);
    EXPECT_EQ(form.WebBrowser, nullptr);
  }
}

}  // namespace
}  // namespace orvulink
