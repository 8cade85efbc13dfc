// The component against the gateway simulator over real HTTP and HTTPS on loopback: the account
// commands, the exact bytes on the wire, the gateway's refusals, injected faults, the connection
// test with and without the probe, and the ways a connection can fail before any answer. How each
// probe failure is classified is the exchange's unit tests' and the command line's.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/enums.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "integration/integration_support.hpp"
#include "sim/accounts.hpp"

namespace orvulink::integration {
namespace {

using testing::CatchAutomationError;

constexpr int kCreditCommand = 2;
constexpr int kDeleteCommand = 9;

std::string SerialField() {
  return std::string(kSerial);
}

std::string DemoCommand(int command, std::vector<std::pair<std::string, std::string>> fields = {}) {
  fields.emplace_back("SERIAL", SerialField());
  return ExpectedCommand(command, kDemoUser, kDemoPassword, fields);
}

// The simulator's demo account with one order of two recipients.
sim::SimulatorConfig DemoConfig() {
  sim::SimulatorConfig config;
  for (const char* phone : {"+393331234567", "+393337654321"})
    config.accounts.accounts[0].orders.AddRecipient("ORD1001", phone);
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

TEST_P(CommandTest, WithTheAutomaticProxyTheProbePageComesFirstOncePerThread) {
  env.control().AutomaticProxy(VariantBool(true));
  EXPECT_EQ(env.control().TestConnection(), ORVULINK_TEST_OK);
  EXPECT_EQ(env.ProbeCount(), 1U);
  EXPECT_EQ(env.Commands(), std::vector<std::string>{""});
  EXPECT_DOUBLE_EQ(env.control().GetCredit(), 150.5);
  EXPECT_EQ(env.ProbeCount(), 1U);
  EXPECT_EQ(env.Commands(), (std::vector<std::string>{"", DemoCommand(kCreditCommand)}));
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

// ---- injected faults, end to end; the retry rules themselves are the exchange's unit tests -----

struct FaultCase {
  std::string name;
  std::string fault;        // the simulator's spelling
  int error;                // 0: GetCredit succeeds with 150.5
  std::string description;  // the error's text, when the gateway gave one
  std::size_t requests;     // commands the gateway received
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

class FaultTest : public ::testing::TestWithParam<std::tuple<Scheme, FaultCase>> {};

TEST_P(FaultTest, GetCreditOutcome) {
  const auto& [scheme, c] = GetParam();
  GatewayEnvironment env(scheme, DemoConfig());
  env.AddFault(c.fault);
  if (c.error != 0) {
    const auto error = CatchAutomationError([&] { env.control().GetCredit(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), c.error);
    EXPECT_EQ(env.control().ErrCode(), c.error);
    if (!c.description.empty()) {
      EXPECT_EQ(Utf8(error->Description()), c.description);
      EXPECT_EQ(Utf8(env.control().ErrDescription()), c.description);
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
        ::testing::Values(FaultCase{"GarbageOnceThenNormal", "garbagex1", 0, "", 2},
                          FaultCase{"GatewayMessage", "code=00:<pre>Service closed</pre>",
                                    ORVULINK_ERROR_TEXT_MESSAGE, "Service closed", 1},
                          FaultCase{"ServerErrorIsNotRetried", "http=500", ORVULINK_ERROR_NETWORK,
                                    "", 1},
                          FaultCase{"DroppedConnection", "drop", ORVULINK_ERROR_NETWORK, "", 3},
                          FaultCase{"ShortDelay", "delay=200x1", 0, "", 1})),
    SchemeAndCaseName<FaultCase>);

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
