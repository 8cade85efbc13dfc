// The component against the gateway simulator over real HTTP and HTTPS on loopback: the account
// commands, the exact bytes on the wire, the gateway's refusals, injected faults, the connection
// test with and without the probe, and the ways a connection can fail before any answer.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/enums.hpp>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "integration/integration_support.hpp"
#include "sim/accounts.hpp"

namespace orvulink::integration {
namespace {

using testing::CatchAutomationError;

constexpr int kCreditCommand = 2;
constexpr int kUserInfoCommand = 7;
constexpr int kDeleteCommand = 9;

std::string SerialField() {
  return std::string(kSerial);
}

std::string DemoCommand(int command, std::vector<std::pair<std::string, std::string>> fields = {}) {
  fields.emplace_back("SERIAL", SerialField());
  return ExpectedCommand(command, kDemoUser, kDemoPassword, fields);
}

// The demo account with the entitlements chosen and one order of two recipients.
sim::SimulatorConfig DemoConfig(bool statusService = true, bool statusQuery = true,
                                bool abroad = true) {
  sim::SimulatorConfig config;
  config.accounts = sim::ParseFixture({
      {"status_service", statusService},
      {"accounts",
       {{
           {"user", std::string(kDemoUser)},
           {"password", std::string(kDemoPassword)},
           {"credit", 150.5},
           {"status_query", statusQuery},
           {"abroad", abroad},
           {"reception_keys", {"K1", "K2"}},
           {"orders", {{"ORD1001", {"+393331234567", "+393337654321"}}}},
       }}},
  });
  return config;
}

std::string SchemeParamName(const ::testing::TestParamInfo<Scheme>& info) {
  return SchemeName(info.param);
}

// "HttpsEmptyThrice": the scheme, then the case's own name.
template <class Case>
std::string SchemeAndCaseName(const ::testing::TestParamInfo<std::tuple<Scheme, Case>>& param) {
  return SchemeName(std::get<0>(param.param)) + std::get<1>(param.param).name;
}

const auto kBothSchemes = ::testing::Values(Scheme::kHttps, Scheme::kHttp);

// ---- the account commands, on both schemes -------------------------------------------------

class CommandTest : public ::testing::TestWithParam<Scheme> {
 protected:
  GatewayEnvironment env{GetParam(), DemoConfig()};
};

TEST_P(CommandTest, GetCreditSendsTheExactCommandAndReadsTheCredit) {
  EXPECT_DOUBLE_EQ(env.control().GetCredit(), 150.5);

  const std::string expected = DemoCommand(kCreditCommand);
  EXPECT_EQ(Utf8(env.control().LastRequest()), expected);
  EXPECT_EQ(env.Commands(), std::vector<std::string>{expected});
  EXPECT_EQ(Utf8(env.control().LastRespose()), FramedPage("01\n150.50 credits"));
  EXPECT_EQ(env.control().ErrCode(), 0);
}

TEST_P(CommandTest, DelMessageRemovesRecipientsOfTheOrder) {
  struct Step {
    std::string phone;     // as the host passes it
    std::string sentDest;  // as the gateway must receive it
    std::string payload;   // the answer the host gets
  };
  const std::vector<Step> steps = {
      {"00393331234567", "+393331234567", "1 deleted"},  // one recipient
      {"", "+", "1 deleted"},                            // all that remain
      {"", "+", "0 deleted"},                            // nothing left
  };
  for (const Step& step : steps) {
    SCOPED_TRACE("phone '" + step.phone + "'");
    EXPECT_EQ(Utf8(env.control().DelMessage(BStr("ORD1001"), BStr(step.phone))), step.payload);
    EXPECT_EQ(Utf8(env.control().LastRequest()),
              DemoCommand(kDeleteCommand, {{"ORDERID", "ORD1001"}, {"DEST", step.sentDest}}));
    EXPECT_EQ(env.Commands().back(), Utf8(env.control().LastRequest()));
    EXPECT_EQ(Utf8(env.control().LastRespose()), FramedPage("01\n" + step.payload));
  }
  EXPECT_EQ(env.Commands().size(), steps.size());
}

TEST_P(CommandTest, WrongPasswordIsAnAuthenticationError) {
  env.control().Password(BStr("not-the-password"));
  const auto error = CatchAutomationError([&] { env.control().GetCredit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), ORVULINK_ERROR_AUTHENTICATION);
  EXPECT_EQ(Utf8(error->Description()), "SMS gateway: username/password error");
  EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_AUTHENTICATION);
  EXPECT_EQ(Utf8(env.control().ErrDescription()), "SMS gateway: username/password error");
  EXPECT_EQ(env.Commands(),
            std::vector<std::string>{ExpectedCommand(kCreditCommand, kDemoUser, "not-the-password",
                                                     {{"SERIAL", SerialField()}})});
  EXPECT_EQ(Utf8(env.control().LastRespose()), FramedPage("99"));
}

TEST_P(CommandTest, TestConnectionWithoutProbeSendsTheEmptyCommand) {
  EXPECT_EQ(env.control().TestConnection(), ORVULINK_TEST_OK);
  EXPECT_EQ(env.Commands(), std::vector<std::string>{""});
  EXPECT_EQ(env.ProbeCount(), 0U);
  EXPECT_EQ(Utf8(env.control().LastRespose()), FramedPage("98"));
}

TEST_P(CommandTest, TestConnectionWithProbeFetchesTheProbePage) {
  env.control().AutomaticProxy(VariantBool(true));
  EXPECT_EQ(env.control().TestConnection(), ORVULINK_TEST_OK);
  EXPECT_EQ(env.ProbeCount(), 1U);
  EXPECT_EQ(env.Commands(), std::vector<std::string>{""});
}

TEST_P(CommandTest, GetCreditAfterTheProbe) {
  env.control().AutomaticProxy(VariantBool(true));
  EXPECT_DOUBLE_EQ(env.control().GetCredit(), 150.5);
  EXPECT_EQ(env.ProbeCount(), 1U);
  EXPECT_EQ(env.Commands(), std::vector<std::string>{DemoCommand(kCreditCommand)});
}

TEST_P(CommandTest, OfflineSendsNothing) {
  env.onlineCheck()->online = false;
  const auto error = CatchAutomationError([&] { env.control().GetCredit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.control().TestConnection(), ORVULINK_TEST_NETWORK);
  EXPECT_TRUE(env.Commands().empty());
  EXPECT_EQ(env.ProbeCount(), 0U);
}

TEST_P(CommandTest, RefusedConnectionIsANetworkError) {
  env.hostVariable().Set("127.0.0.1:" + std::to_string(FreeLoopbackPort()));
  const auto error = CatchAutomationError([&] { env.control().GetCredit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_NETWORK);
  EXPECT_TRUE(env.Commands().empty());
}

INSTANTIATE_TEST_SUITE_P(Schemes, CommandTest, kBothSchemes, SchemeParamName);

// ---- the credit as the gateway words it -----------------------------------------------------

struct CreditCase {
  std::string name;
  double credit;
  std::string payload;
};

void PrintTo(const CreditCase& c, std::ostream* out) {
  *out << c.name;
}

class CreditTest : public ::testing::TestWithParam<std::tuple<Scheme, CreditCase>> {};

TEST_P(CreditTest, ReadsTheLeadingNumber) {
  const auto& [scheme, c] = GetParam();
  sim::SimulatorConfig config = DemoConfig();
  config.accounts.accounts.front().credit = c.credit;
  GatewayEnvironment env(scheme, std::move(config));
  EXPECT_DOUBLE_EQ(env.control().GetCredit(), c.credit);
  EXPECT_EQ(Utf8(env.control().LastRespose()), FramedPage("01\n" + c.payload));
}

INSTANTIATE_TEST_SUITE_P(
    Credits, CreditTest,
    ::testing::Combine(kBothSchemes,
                       ::testing::Values(CreditCase{"Demo", 150.5, "150.50 credits"},
                                         CreditCase{"Quarter", 7.25, "7.25 credits"},
                                         CreditCase{"Zero", 0.0, "0.00 credits"},
                                         CreditCase{"Large", 12345.0, "12345.00 credits"})),
    SchemeAndCaseName<CreditCase>);

// ---- the user information: three entitlements from one answer ------------------------------

struct EntitlementCase {
  std::string name;
  bool statusService;
  bool statusQuery;
  bool abroad;
  std::int16_t notifyServer;
  std::int16_t notifyUser;
  std::int16_t foreignCountry;
};

void PrintTo(const EntitlementCase& c, std::ostream* out) {
  *out << c.name;
}

class EntitlementTest : public ::testing::TestWithParam<std::tuple<Scheme, EntitlementCase>> {};

TEST_P(EntitlementTest, FlagsFollowTheAccount) {
  const auto& [scheme, c] = GetParam();
  GatewayEnvironment env(scheme, DemoConfig(c.statusService, c.statusQuery, c.abroad));
  EXPECT_EQ(env.control().NotifyServer(), c.notifyServer);
  EXPECT_EQ(env.control().NotifyUser(), c.notifyUser);
  EXPECT_EQ(env.control().ForeignCountry(), c.foreignCountry);
  const std::vector<std::string> commands = env.Commands();
  ASSERT_FALSE(commands.empty());
  for (const std::string& command : commands)
    EXPECT_EQ(command, DemoCommand(kUserInfoCommand));
  EXPECT_EQ(env.control().ErrCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, EntitlementTest,
    ::testing::Combine(kBothSchemes,
                       ::testing::Values(EntitlementCase{"AllOn", true, true, true, 1, 1, 1},
                                         EntitlementCase{"ServiceDown", false, true, true, 0, 1, 1},
                                         EntitlementCase{"NoStatusQuery", true, false, true, 1, 0,
                                                         1},
                                         EntitlementCase{"NoAbroad", true, true, false, 1, 1, 0})),
    SchemeAndCaseName<EntitlementCase>);

// ---- injected faults ------------------------------------------------------------------------

struct FaultCase {
  std::string name;
  std::vector<std::string> faults;             // simulator spelling, queued in order
  std::optional<OrvuLink_ErrorRuntime> error;  // none: GetCredit succeeds with 150.5
  std::optional<std::string> description;      // the error's text, when the gateway gave one
  std::size_t requests;                        // commands the gateway received
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

class FaultTest : public ::testing::TestWithParam<std::tuple<Scheme, FaultCase>> {};

TEST_P(FaultTest, GetCreditOutcome) {
  const auto& [scheme, c] = GetParam();
  GatewayEnvironment env(scheme, DemoConfig());
  for (const std::string& fault : c.faults)
    env.AddFault(fault);

  if (c.error) {
    const auto error = CatchAutomationError([&] { env.control().GetCredit(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), *c.error);
    EXPECT_EQ(env.control().ErrCode(), *c.error);
    if (c.description) {
      EXPECT_EQ(Utf8(error->Description()), *c.description);
      EXPECT_EQ(Utf8(env.control().ErrDescription()), *c.description);
    }
  } else {
    EXPECT_DOUBLE_EQ(env.control().GetCredit(), 150.5);
    EXPECT_EQ(env.control().ErrCode(), 0);
  }
  const std::vector<std::string> commands = env.Commands();
  EXPECT_EQ(commands.size(), c.requests);
  for (const std::string& command : commands)
    EXPECT_EQ(command, DemoCommand(kCreditCommand));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    ::testing::Combine(
        kBothSchemes,
        ::testing::Values(
            FaultCase{"EmptyThrice", {"emptyx3"}, ORVULINK_ERROR_NETWORK, std::nullopt, 3},
            FaultCase{"GarbageThrice", {"garbagex3"}, ORVULINK_ERROR_NETWORK, std::nullopt, 3},
            FaultCase{"EmptyTwiceThenNormal", {"emptyx2"}, std::nullopt, std::nullopt, 3},
            FaultCase{"GarbageOnceThenNormal", {"garbagex1"}, std::nullopt, std::nullopt, 2},
            FaultCase{"NoCredit", {"code=97"}, ORVULINK_ERROR_CREDIT, std::nullopt, 1},
            FaultCase{"GatewayMessage",
                      {"code=00:<pre>Service closed</pre>"},
                      ORVULINK_ERROR_TEXT_MESSAGE,
                      "Service closed",
                      1},
            FaultCase{
                "ServerErrorIsNotRetried", {"http=500"}, ORVULINK_ERROR_NETWORK, std::nullopt, 1},
            FaultCase{"DroppedConnection", {"drop"}, ORVULINK_ERROR_NETWORK, std::nullopt, 3},
            FaultCase{"DropOnceThenNormal", {"dropx1"}, std::nullopt, std::nullopt, 2},
            FaultCase{"ShortDelay", {"delay=200x1"}, std::nullopt, std::nullopt, 1})),
    SchemeAndCaseName<FaultCase>);

// ---- the probe's failures, as the connection test and a command see them -------------------

struct ProbeFaultCase {
  std::string name;
  std::string fault;
  OrvuLink_CodeTestConnection verdict;
};

void PrintTo(const ProbeFaultCase& c, std::ostream* out) {
  *out << c.name;
}

class ProbeFaultTest : public ::testing::TestWithParam<std::tuple<Scheme, ProbeFaultCase>> {};

TEST_P(ProbeFaultTest, VerdictAndNoCommandSent) {
  const auto& [scheme, c] = GetParam();
  GatewayEnvironment env(scheme, DemoConfig());
  env.AddFault(c.fault);
  env.control().AutomaticProxy(VariantBool(true));

  EXPECT_EQ(env.control().TestConnection(), c.verdict);
  EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_NETWORK);
  const auto error = CatchAutomationError([&] { env.control().GetCredit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), ORVULINK_ERROR_NETWORK);
  EXPECT_TRUE(env.Commands().empty()) << "a failed probe must keep the command from the gateway";
  EXPECT_EQ(env.ProbeCount(), 2U);
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ProbeFaultTest,
    ::testing::Combine(
        kBothSchemes,
        ::testing::Values(ProbeFaultCase{"NotFound", "probe:http=404", ORVULINK_TEST_PROTOCOLSSL},
                          ProbeFaultCase{"ProxyAuth", "probe:http=407", ORVULINK_TEST_PROXY},
                          ProbeFaultCase{"ServerError", "probe:http=500", ORVULINK_TEST_GATEWAY})),
    SchemeAndCaseName<ProbeFaultCase>);

// ---- a certificate the component does not trust ---------------------------------------------

class UntrustedCertificateTest : public ::testing::Test {
 protected:
  UntrustedCertificateTest() { env.caFileVariable().Set(std::nullopt); }
  GatewayEnvironment env{Scheme::kHttps, DemoConfig()};
};

TEST_F(UntrustedCertificateTest, GetCreditFailsBeforeAnyCommandArrives) {
  const auto error = CatchAutomationError([&] { env.control().GetCredit(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_NETWORK);
  EXPECT_TRUE(env.Commands().empty());
  EXPECT_EQ(Utf8(env.control().LastRespose()), "");
}

TEST_F(UntrustedCertificateTest, TestConnectionWithoutProbeGetsNoAnswerToJudge) {
  // The handshake fails, so no status and no page arrive: the exchange records no
  // classification and the verdict stays the generic one.
  EXPECT_EQ(env.control().TestConnection(), ORVULINK_TEST_GENERIC);
  EXPECT_TRUE(env.Commands().empty());
}

TEST_F(UntrustedCertificateTest, TestConnectionWithProbeIsAGatewayFailure) {
  // The probe reports a navigation error that names neither 404 nor 407: a gateway failure.
  env.control().AutomaticProxy(VariantBool(true));
  EXPECT_EQ(env.control().TestConnection(), ORVULINK_TEST_GATEWAY);
  EXPECT_EQ(env.control().ErrCode(), ORVULINK_ERROR_NETWORK);
  EXPECT_EQ(env.ProbeCount(), 0U);
  EXPECT_TRUE(env.Commands().empty());
}

}  // namespace
}  // namespace orvulink::integration
