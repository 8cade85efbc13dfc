#include <gtest/gtest.h>

#include "core/control_state.hpp"
#include "fake_probe_browser.hpp"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using namespace std::chrono_literals;
using testing::HttpAnswer;
using testing::HttpScript;
using testing::ProbeEvent;

const std::string kConnectText = "SMS gateway: unable to connect to server";
const std::string kHead = "<html>\r\n<body>\r\n";

class GetUrl : public testing::ExchangeScene {
 protected:
  core::ControlState& state = core::ThisThreadState();

  // The proxy is set by hand unless a test wants the probe.
  void SetUp() override {
    ExchangeScene::SetUp();
    control->AutomaticProxy(false);
  }
  gateway::AnswerForm answerForm = gateway::AnswerForm::kText;
  std::string Call() { return BStr(form.getUrl(u"CMD=2", answerForm)).utf8(); }
  // Runs one exchange over `answers`; nullopt when it raised, after three tries.
  std::optional<std::string> Exchange(const std::vector<HttpAnswer>& answers) {
    http.script->sentBodies.clear();
    http.script->answers.clear();
    clock->sleeps.clear();
    for (const auto& answer : answers)
      http.script->Queue(answer);
    try {
      return Call();
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.Number(), ORVULINK_ERROR_NETWORK);
      EXPECT_EQ(error.Description().utf8(), kConnectText);
      EXPECT_EQ(http.script->sentBodies.size(), 3u);
      EXPECT_EQ(clock->sleeps, (std::vector<std::chrono::milliseconds>{500ms, 500ms}));
      return std::nullopt;
    }
  }
};

TEST_F(GetUrl, OfflineSendsNothingAndKeepsTheLastExchange) {
  online->online = false;
  state.LastRequest = u"earlier request";
  state.LastRespose = u"earlier answer";
  EXPECT_EQ(Call(), "");
  EXPECT_TRUE(http.script->sentBodies.empty());
  EXPECT_EQ(form.iCodeTest, ORVULINK_TEST_NETWORK);
  EXPECT_EQ(BStr(state.ErrDescription).utf8(), kConnectText);
  EXPECT_EQ(state.LastRequest, u"earlier request");
  EXPECT_EQ(state.LastRespose, u"earlier answer");
}

// A retry waits longer for its answer. (The proxy and TLS settings are the integration tests'.)
TEST_F(GetUrl, TimesOutLongerOnRetries) {
  EXPECT_EQ(Exchange({{"garbage"}, {"garbage"}, {HttpScript::Framed("01")}}), "01");
  std::vector<std::string> timeouts;
  for (const auto& call : http.script->calls)
    if (call.starts_with("SetTimeout(")) timeouts.push_back(call);
  EXPECT_EQ(timeouts, (std::vector<std::string>{"SetTimeout(20000)", "SetTimeout(60000)",
                                                "SetTimeout(60000)"}));
}

// Retried up to three times: an answer without a known code, an empty one whatever its status,
// a failed send. A refusal with a body is classified at once and not repeated.
TEST_F(GetUrl, RetriesAndRefusals) {
  const struct {
    const char* name;
    std::vector<HttpAnswer> answers;
    const char* proxy;  // nullptr: automatic, after a passed probe
    std::int16_t before;
    std::optional<std::string> result;  // nullopt: raised after three tries
    std::size_t sends;
    std::int16_t after;
  } cases[] = {
      {"empty 401", {{"", "Unauthorized", 401}, {"", "", 401}, {"", "", 401}}, "", 0, {}, 3, 0},
      {"failed send", {{"", "", 0, true}, {HttpScript::Framed("01")}}, "", 0, "01", 2, 0},
      {"401 with a body", {{"page", "Unauthorized", 401}}, "", 0, "", 1, ORVULINK_TEST_PROXY},
      {"12029 manual proxy", {{"page", "", 12029}}, "gw", 0, "", 1, ORVULINK_TEST_PROXY},
      {"12029 automatic", {{"page", "", 12029}}, nullptr, 0, "", 1, ORVULINK_TEST_GATEWAY},
      {"no status", {{"page", "", 0}}, "gw", 0, "", 1, ORVULINK_TEST_GATEWAY},
      {"404 timer", {{"p", "", 404}}, "", ORVULINK_TEST_TIMER, "", 1, ORVULINK_TEST_TIMER},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    control->AutomaticProxy(c.proxy == nullptr);
    control->Proxy(c.proxy != nullptr ? c.proxy : "gw");
    form.iNavigateState = 1;
    form.iCodeTest = c.before;
    EXPECT_EQ(Exchange(c.answers), c.result);
    EXPECT_EQ(http.script->sentBodies.size(), c.sends);
    EXPECT_EQ(form.iCodeTest, c.after);
    if (c.result == "") {
      EXPECT_EQ(state.ErrCode, ORVULINK_ERROR_NETWORK);
    }
  }
  EXPECT_FALSE(Exchange({{"first"}, {"second"}, {"third"}}));
  EXPECT_EQ(state.LastRequest, u"CMD=2");
  EXPECT_EQ(state.LastRespose, u"third");
}

TEST_F(GetUrl, CutsThePageFrameAndAcceptsOnlyTheKnownCodes) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"<html>\r\n<body>\r\n01\n12.5\r\n</body>\r\n</html>\r\n", "01\n12.5"},
      {HttpScript::Framed("99"), "99"},
      {kHead + "01" + std::string(17, 'x'), "01" + std::string(17, 'x')},  // under 36: all kept
      {kHead + "01" + std::string(18, 'x'), std::nullopt},  // 36: the tail goes, "" is left
      {HttpScript::Framed("87"), std::nullopt},
  };
  for (const auto& [answer, text] : cases)
    EXPECT_EQ(Exchange({{answer}, {answer}, {answer}}), text) << answer;
  answerForm = gateway::AnswerForm::kRaw;  // unchecked, at the first try
  for (const std::string& answer : {HttpScript::Framed("87"), std::string()}) {
    EXPECT_EQ(Exchange({{answer}}), answer);
    EXPECT_EQ(http.script->sentBodies.size(), 1u);
  }
}

// A passed probe means a direct connection, whatever manual proxy was left in the settings.
TEST_F(GetUrl, AfterAPassedProbeTheManualProxyIsNotUsed) {
  control->AutomaticProxy(true);
  control->Proxy("gw");
  browser.script->events = {{ProbeEvent::kProgress}, {ProbeEvent::kComplete}};
  EXPECT_EQ(Exchange({{HttpScript::Framed("01")}}), "01");
  EXPECT_EQ(std::ranges::count(http.script->calls, "SetProxy()"), 1);
  EXPECT_EQ(std::ranges::count(http.script->calls, "SetProxy(gw)"), 0);
}

// With the automatic proxy the probe comes first; its verdict is mapped and its last error told.
TEST_F(GetUrl, MapsTheProbeVerdictAndReportsItsLastError) {
  const auto navigationError = [](std::int32_t status) {
    return [status](testing::ProbeScript& s) { s.events = {{ProbeEvent::kError, status}}; };
  };
  const struct {
    const char* name;
    std::function<void(testing::ProbeScript&)> script;
    std::int16_t before, codeTest, errCode;
    std::string description;
  } cases[] = {
      {"time-out", [](auto& s) { s.stopRaises = true; }, 0, ORVULINK_TEST_TIMER,
       ORVULINK_ERROR_NETWORK, kConnectText + "\tstop failed"},
      {"407", navigationError(407), 0, ORVULINK_TEST_PROXY, ORVULINK_ERROR_NETWORK,
       kConnectText + "\t"},
      {"404", navigationError(404), 0, ORVULINK_TEST_PROTOCOLSSL, ORVULINK_ERROR_NETWORK,
       kConnectText + "\t"},
      {"500", navigationError(500), 0, ORVULINK_TEST_GATEWAY, ORVULINK_ERROR_NETWORK,
       kConnectText + "\t"},
      {"no navigation", [](auto& s) { s.navigate2Raises = s.navigateRaises = true; }, 0,
       ORVULINK_TEST_EXPLORER, ORVULINK_ERROR_EXPLORER,
       "SMS gateway: Intenet Explorer version old\tNavigate refused"},
  };
  control->AutomaticProxy(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    *browser.script = testing::ProbeScript();
    c.script(*browser.script);
    form.iCodeTest = c.before;
    EXPECT_EQ(Call(), "");
    EXPECT_EQ(form.iCodeTest, c.codeTest);
    EXPECT_EQ(state.ErrCode, c.errCode);
    EXPECT_EQ(BStr(state.ErrDescription).utf8(), c.description);
    EXPECT_TRUE(http.script->sentBodies.empty());
  }
}

}  // namespace
}  // namespace orvulink
