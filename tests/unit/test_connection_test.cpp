#include <gtest/gtest.h>

#include "core/control_state.hpp"
#include "fake_probe_browser.hpp"
#include "test_support.hpp"
#include "typelib/string_table.hpp"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orvulink {
namespace {

using testing::HttpAnswer;
using testing::HttpScript;
using testing::ProbeEvent;

class TestConnection : public testing::ExchangeScene {
 protected:
  void SetUp() override {
    ExchangeScene::SetUp();
    // What an earlier command left behind, which the test clears first.
    form.iCodeTest = ORVULINK_TEST_PROTOCOLSSL;
    core::ThisThreadState().ErrCode = ORVULINK_ERROR_AUTHENTICATION;
  }
  OrvuLink_CodeTestConnection Verdict() {
    OrvuLink_CodeTestConnection verdict = ORVULINK_TEST_OK;
    EXPECT_NO_THROW(verdict = control->TestConnection());
    return verdict;
  }
  std::string Description() const { return control->ErrDescription().utf8(); }
};

TEST_F(TestConnection, JudgesTheBodyOfTheRawAnswer) {
  struct Case {
    HttpAnswer answer;
    OrvuLink_CodeTestConnection verdict;
  };
  const std::vector<Case> cases = {
      {{HttpScript::Framed("98")}, ORVULINK_TEST_OK},
      {{"<body>\r\n-1.5\r\n\r\n</body>"}, ORVULINK_TEST_OK},
      {{HttpScript::Framed("ERR")}, ORVULINK_TEST_GATEWAY},
      {{"<body></body>"}, ORVULINK_TEST_GATEWAY},
      {{"98"}, ORVULINK_TEST_GENERIC},
      {{"</body>98<body>"}, ORVULINK_TEST_GENERIC},
      {{""}, ORVULINK_TEST_GENERIC},
      {{"page", "Unauthorized", 401}, ORVULINK_TEST_PROXY},
  };
  control->AutomaticProxy(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer.body);
    form.iCodeTest = ORVULINK_TEST_PROTOCOLSSL;
    http.script->sentBodies.clear();
    http.script->Queue(c.answer);
    EXPECT_EQ(Verdict(), c.verdict);
    EXPECT_EQ(http.script->sentBodies, std::vector<std::string>{""});
  }
  EXPECT_EQ(browser.script->browsersMade, 0);
}

TEST_F(TestConnection, OfflineIsANetworkFailure) {
  online->online = false;
  EXPECT_EQ(Verdict(), ORVULINK_TEST_NETWORK);
  EXPECT_EQ(control->ErrCode(), ORVULINK_ERROR_NETWORK);
}

// Each failure's classification is the exchange's tests'; here, that the verdict is reported.
TEST_F(TestConnection, ReportsTheProbesFailures) {
  struct Case {
    const char* name;
    std::function<void(testing::ProbeScript&)> script;
    OrvuLink_CodeTestConnection verdict;
    OrvuLink_ErrorRuntime error;
  };
  const auto navigationError = [](std::int32_t status) {
    return [status](testing::ProbeScript& s) {
      s.events = {{ProbeEvent::kProgress}, {ProbeEvent::kError, status}};
    };
  };
  const std::vector<Case> cases = {
      {"407", navigationError(407), ORVULINK_TEST_PROXY, ORVULINK_ERROR_NETWORK},
      {"no navigation", [](auto& s) { s.navigate2Raises = s.navigateRaises = true; },
       ORVULINK_TEST_EXPLORER, ORVULINK_ERROR_EXPLORER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    *browser.script = testing::ProbeScript();
    c.script(*browser.script);
    EXPECT_EQ(Verdict(), c.verdict);
    EXPECT_EQ(control->ErrCode(), c.error);
    EXPECT_EQ(Description().rfind(typelib::ErrorText(c.error).utf8() + "\t", 0), 0u);
    EXPECT_TRUE(http.script->sentBodies.empty());
  }
}

TEST_F(TestConnection, AfterAPassedProbeGoesStraightToTheExchange) {
  browser.script->events = {{ProbeEvent::kProgress}, {ProbeEvent::kComplete}};
  http.script->Queue({HttpScript::Framed("98")});
  http.script->Queue({HttpScript::Framed("98")});
  EXPECT_EQ(Verdict(), ORVULINK_TEST_OK);
  EXPECT_EQ(control->ErrCode(), 0);
  EXPECT_EQ(Verdict(), ORVULINK_TEST_OK);
  EXPECT_EQ(browser.script->browsersMade, 1);
  EXPECT_EQ(http.script->sentBodies.size(), 2u);
}

// A host that tests the connection again from its message loop while the probe waits is
// refused: the probe and the raw mode belong to the test in progress, which goes on undisturbed.
TEST_F(TestConnection, AStartFromTheHostWhileTheProbeWaitsIsRefused) {
  browser.script->events = {{ProbeEvent::kProgress, 0, 2}, {ProbeEvent::kComplete, 0, 2}};
  std::int32_t innerError = 0;
  bool reentered = false;
  platform::SetMessagePump([&] {
    if (std::exchange(reentered, true)) return;
    innerError = testing::RaisedNumber([&] { control->TestConnection(); });
  });
  http.script->Queue({HttpScript::Framed("98")});
  EXPECT_EQ(Verdict(), ORVULINK_TEST_OK);
  EXPECT_EQ(innerError, 5);
  EXPECT_EQ(http.script->sentBodies.size(), 1u);
}

}  // namespace
}  // namespace orvulink
