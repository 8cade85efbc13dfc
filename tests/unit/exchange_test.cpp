#include <gtest/gtest.h>

#include "core/control_state.hpp"
#include "fake_probe_browser.hpp"
#include "gateway/address.hpp"
#include "typelib/string_table.hpp"

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

const std::string kConnectText = typelib::ErrorText(ORVULINK_ERROR_NETWORK).utf8();
const std::string kExplorerText = typelib::ErrorText(ORVULINK_ERROR_EXPLORER).utf8();
const std::string kHead = "<html>\r\n<body>\r\n";

class GetUrl : public testing::ExchangeScene {
 protected:
  core::ControlState& state = core::ThisThreadState();

  // The proxy is set by hand unless a test wants the probe.
  void SetUp() override {
    ExchangeScene::SetUp();
    control->AutomaticProxy(false);
  }
  void ManualProxy(const char* proxy, const char* port, const char* user, const char* password) {
    control->AutomaticProxy(false);
    control->Proxy(proxy);
    control->ProxyPort(port);
    control->ProxyUsername(user);
    control->ProxyPassword(password);
  }
  void QueueTimes(int times, const HttpAnswer& answer) {
    for (int i = 0; i < times; ++i)
      http.script->Queue(answer);
  }
  std::string Call(const std::string& request = "CMD=2",
                   gateway::AnswerForm answerForm = gateway::AnswerForm::kText) {
    return BStr(form.getUrl(BStr(request).str(), answerForm)).utf8();
  }
  void ExpectRaisedAfterThreeTries() {
    const auto error = testing::CatchAutomationError([&] { Call(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), ORVULINK_ERROR_NETWORK);
    EXPECT_EQ(error->Description().utf8(), kConnectText);
    EXPECT_EQ(state.ErrCode, ORVULINK_ERROR_NETWORK);
    EXPECT_EQ(http.script->sentBodies.size(), 3u);
    EXPECT_EQ(clock->sleeps, (std::vector<std::chrono::milliseconds>{500ms, 500ms}));
  }
};

TEST_F(GetUrl, OfflineSendsNothingAndKeepsTheLastExchange) {
  online->online = false;
  state.LastRequest = u"earlier request";
  state.LastRespose = u"earlier answer";
  EXPECT_EQ(Call(), "");
  EXPECT_TRUE(http.script->sentBodies.empty());
  EXPECT_EQ(form.iCodeTest, ORVULINK_TEST_NETWORK);
  EXPECT_EQ(state.ErrCode, ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(BStr(state.ErrDescription).utf8(), kConnectText);
  EXPECT_EQ(state.LastRequest, u"earlier request");
  EXPECT_EQ(state.LastRespose, u"earlier answer");
}

TEST_F(GetUrl, PreparesTheClientInOrderAndTimesOutLongerOnRetries) {
  struct Case {
    bool encrypted;
    const char *proxy, *user, *password;
    std::vector<std::string> setup;
  };
  const std::string address = std::string(kHost) + "/cgi/orvusms_gw_plus.php";
  const std::vector<Case> cases = {
      {true,
       "gw",
       "",
       "",
       {"SetProxy(gw:3128)", "SetProxyUserName()", "SetProxyPassword()", "UseTls(on)",
        "SetAddress(https://" + address + ")"}},
      {false,
       "",
       "bob",
       "secret",
       {"SetProxy()", "SetProxyUserName(bob)", "SetProxyPassword(secret)",
        "SetAddress(http://" + address + ")"}},
  };
  for (const Case& c : cases) {
    ManualProxy(c.proxy, "3128", c.user, c.password);
    control->EncryptSSL(c.encrypted);
    http.script->calls.clear();
    QueueTimes(2, {"garbage"});
    http.script->Queue({HttpScript::Framed("01")});
    Call("CMD=7");
    std::vector<std::string> expected = c.setup;
    for (const char* timeout : {"20000", "60000", "60000"}) {
      expected.insert(expected.end(),
                      {"Reset()", std::string("SetTimeout(") + timeout + ")", "Send(CMD=7)"});
    }
    EXPECT_EQ(http.script->calls, expected) << "encrypted " << c.encrypted;
  }
  EXPECT_EQ(browser.script->browsersMade, 0);
}

TEST_F(GetUrl, CutsThePageFrameAndAcceptsOnlyTheKnownCodes) {
  struct Case {
    std::string answer;
    std::optional<std::string> text;  // none: not acceptable
  };
  const std::vector<Case> cases = {
      {"<html>\r\n<body>\r\n01\n12.5\r\n</body>\r\n</html>\r\n", "01\n12.5"},
      {HttpScript::Framed("88;x"), "88;x"},
      {HttpScript::Framed("99"), "99"},
      {kHead + "01abc", "01abc"},  // 17 to 35 characters: all after the head is kept
      {kHead + "01" + std::string(17, 'x'), "01" + std::string(17, 'x')},
      {kHead + "01" + std::string(18, 'x'), std::nullopt},  // 36: the tail goes, "" is left
      {HttpScript::Framed("87"), std::nullopt},
      {HttpScript::Framed("9"), std::nullopt},
      {kHead, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    http.script->sentBodies.clear();
    clock->sleeps.clear();
    QueueTimes(3, {c.answer});
    if (c.text) {
      EXPECT_EQ(Call(), *c.text);
      EXPECT_EQ(http.script->sentBodies.size(), 1u);
    } else {
      ExpectRaisedAfterThreeTries();
    }
    http.script->answers.clear();
  }
}

TEST_F(GetUrl, KeepsEachTryAndTheThirdRawAnswer) {
  for (const char* answer : {"first", "second", "third"})
    http.script->Queue({answer});
  ExpectRaisedAfterThreeTries();
  EXPECT_EQ(http.script->sentBodies.size(), 3u);
  EXPECT_EQ(state.LastRequest, u"CMD=2");
  EXPECT_EQ(state.LastRespose, u"third");
}

TEST_F(GetUrl, ARefusalWithABodyIsClassifiedAndNotRepeated) {
  struct Case {
    HttpAnswer answer;
    const char* proxy;  // nullptr: automatic proxy
    std::int16_t before, after;
  };
  const std::vector<Case> cases = {
      {{"page", "Unauthorized", 401}, "", 0, ORVULINK_TEST_PROXY},
      {{"page", "", 12029}, "gw", 0, ORVULINK_TEST_PROXY},
      {{"page", "", 12029}, nullptr, 0, ORVULINK_TEST_GATEWAY},  // "gw" stays, unused
      {{"page", "", 12029}, "", 0, ORVULINK_TEST_GATEWAY},
      {{"page", "", 0}, "gw", 0, ORVULINK_TEST_GATEWAY},
      {{"page", "Not Found", 404}, "", ORVULINK_TEST_TIMER, ORVULINK_TEST_TIMER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer.statusText + " " + std::to_string(c.answer.statusCode));
    if (c.proxy != nullptr) ManualProxy(c.proxy, "3128", "", "");
    if (c.proxy == nullptr) control->AutomaticProxy(true);
    form.iNavigateState = 1;  // an earlier probe passed
    form.iCodeTest = c.before;
    http.script->sentBodies.clear();
    QueueTimes(3, c.answer);
    EXPECT_EQ(Call(), "");
    EXPECT_EQ(http.script->sentBodies.size(), 1u);
    EXPECT_EQ(form.iCodeTest, c.after);
    EXPECT_EQ(state.ErrCode, ORVULINK_ERROR_NETWORK);
    http.script->answers.clear();
  }
}

TEST_F(GetUrl, AnEmptyAnswerIsTriedAgainWhateverItsStatus) {
  QueueTimes(3, {"", "Unauthorized", 401});
  ExpectRaisedAfterThreeTries();
  EXPECT_EQ(form.iCodeTest, 0);
}

TEST_F(GetUrl, AFailedSendCountsAsAnEmptyAnswer) {
  http.script->Queue({"", "", 0, true});
  http.script->Queue({HttpScript::Framed("01")});
  EXPECT_EQ(Call(), "01");
  EXPECT_EQ(http.script->sentBodies.size(), 2u);
}

TEST_F(GetUrl, RawModeReturnsTheAnswerUncheckedAtTheFirstTry) {
  for (const std::string& answer : {HttpScript::Framed("87"), std::string()}) {
    http.script->sentBodies.clear();
    QueueTimes(1, {answer});
    EXPECT_EQ(Call("CMD=2", gateway::AnswerForm::kRaw), answer);
    EXPECT_EQ(http.script->sentBodies.size(), 1u);
  }
}

// ---- with the automatic proxy: the probe first ----

TEST_F(GetUrl, AutomaticProxyProbesBeforeTheFirstSendAndSetsNoProxy) {
  control->AutomaticProxy(true);
  control->Proxy("gw");
  control->ProxyPort("3128");
  browser.script->events = {{ProbeEvent::kProgress}, {ProbeEvent::kComplete}};
  std::size_t sentWhenProbing = 99;
  browser.script->whenNavigating = [&] { sentWhenProbing = http.script->sentBodies.size(); };
  http.script->Queue({HttpScript::Framed("01")});
  EXPECT_EQ(Call(), "01");
  EXPECT_EQ(sentWhenProbing, 0u);
  const std::vector<std::string> first(http.script->calls.begin(), http.script->calls.begin() + 3);
  EXPECT_EQ(first,
            (std::vector<std::string>{"SetProxy()", "SetProxyUserName()", "SetProxyPassword()"}));
}

TEST_F(GetUrl, MapsTheProbeVerdictAndReportsItsLastError) {
  struct Case {
    const char* name;
    std::function<void(testing::ProbeScript&)> script;
    std::int16_t before, codeTest;
    std::int16_t errCode;
    std::string description;
  };
  const auto navigationError = [](std::int32_t status) {
    return [status](testing::ProbeScript& s) { s.events = {{ProbeEvent::kError, status}}; };
  };
  const std::vector<Case> cases = {
      {"time-out", [](auto& s) { s.stopRaises = true; }, 0, ORVULINK_TEST_TIMER,
       ORVULINK_ERROR_NETWORK, kConnectText + "\tstop failed"},
      {"407", navigationError(407), 0, ORVULINK_TEST_PROXY, ORVULINK_ERROR_NETWORK,
       kConnectText + "\t"},
      {"404", navigationError(404), 0, ORVULINK_TEST_PROTOCOLSSL, ORVULINK_ERROR_NETWORK,
       kConnectText + "\t"},
      {"500", navigationError(500), 0, ORVULINK_TEST_GATEWAY, ORVULINK_ERROR_NETWORK,
       kConnectText + "\t"},
      {"500 after a failure", navigationError(500), ORVULINK_TEST_PROXY, ORVULINK_TEST_PROXY,
       ORVULINK_ERROR_NETWORK, kConnectText + "\t"},
      {"no navigation", [](auto& s) { s.navigate2Raises = s.navigateRaises = true; }, 0,
       ORVULINK_TEST_EXPLORER, ORVULINK_ERROR_EXPLORER, kExplorerText + "\tNavigate refused"},
  };
  control->AutomaticProxy(true);
  for (const Case& c : cases) {
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

TEST_F(GetUrl, AnEmptyHostVariableKeepsTheBuiltInHost) {
  setenv(kHostVariable, "", 1);
  const std::u16string builtIn = gateway::GatewayHost();
  unsetenv(kHostVariable);
  EXPECT_FALSE(builtIn.empty());
  EXPECT_NE(builtIn, u"gw.test:8443");
  EXPECT_EQ(gateway::GatewayHost(), builtIn);
}

}  // namespace
}  // namespace orvulink
