#include <gtest/gtest.h>

#include "core/control_state.hpp"
#include "fake_probe_browser.hpp"
#include "test_support.hpp"

#include <string>
#include <utility>
#include <vector>

namespace orvulink {
namespace {

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
  OrvuLink_CodeTestConnection Verdict() { return control->TestConnection(); }
};

TEST_F(TestConnection, JudgesTheBodyOfTheRawAnswer) {
  const std::pair<testing::HttpAnswer, OrvuLink_CodeTestConnection> cases[] = {
      {{HttpScript::Framed("98")}, ORVULINK_TEST_OK},
      {{"<body>\r\n-1.5\r\n\r\n</body>"}, ORVULINK_TEST_OK},
      {{HttpScript::Framed("ERR")}, ORVULINK_TEST_GATEWAY},
      {{"</body>98<body>"}, ORVULINK_TEST_GENERIC},
      {{""}, ORVULINK_TEST_GENERIC},
      {{"page", "Unauthorized", 401}, ORVULINK_TEST_PROXY},
  };
  control->AutomaticProxy(false);
  for (const auto& [answer, verdict] : cases) {
    form.iCodeTest = ORVULINK_TEST_PROTOCOLSSL;
    http.script->Queue(answer);
    EXPECT_EQ(Verdict(), verdict) << answer.body;
  }
  online->online = false;
  EXPECT_EQ(Verdict(), ORVULINK_TEST_NETWORK);
  EXPECT_EQ(control->ErrCode(), ORVULINK_ERROR_NETWORK);
}

// After a passed probe the thread goes straight to the exchange. A host that tests the
// connection again from its message loop while the probe waits is refused: the probe and the raw
// mode belong to the test in progress, which goes on undisturbed.
TEST_F(TestConnection, AStartFromTheHostWhileTheProbeWaitsIsRefused) {
  browser.script->events = {{ProbeEvent::kProgress, 0, 2}, {ProbeEvent::kComplete, 0, 2}};
  std::int32_t innerError = 0;
  bool reentered = false;
  platform::SetMessagePump([&] {
    if (std::exchange(reentered, true)) return;
    innerError = testing::RaisedNumber([&] { control->TestConnection(); });
  });
  http.script->Queue({HttpScript::Framed("98")});
  http.script->Queue({HttpScript::Framed("98")});
  EXPECT_EQ(Verdict(), ORVULINK_TEST_OK);
  EXPECT_EQ(innerError, 5);
  EXPECT_EQ(http.script->sentBodies.size(), 1u);
  EXPECT_EQ(Verdict(), ORVULINK_TEST_OK);
  EXPECT_EQ(control->ErrCode(), 0);
  EXPECT_EQ(browser.script->browsersMade, 1);
  EXPECT_EQ(http.script->sentBodies.size(), 2u);
}

}  // namespace
}  // namespace orvulink
