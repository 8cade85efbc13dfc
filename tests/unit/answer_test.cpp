// Answer decoding: result codes to errors, the "<pre>" message, the payload.
#include "gateway/answer.hpp"

#include <gtest/gtest.h>

#include "control/error_exit.hpp"
#include "test_support.hpp"
#include "typelib/string_table.hpp"

#include <random>
#include <string>

namespace orvulink::gateway {
namespace {

using orvulink::testing::CatchAutomationError;

constexpr std::int16_t kStaleCode = 5;
constexpr char16_t kStaleText[] = u"stale";

control::ControlState StateAfterEarlierFailure() {
  control::ControlState state;
  state.ErrCode = kStaleCode;
  state.ErrDescription = kStaleText;
  return state;
}

struct FailureCase {
  std::u16string answer;
  OrvuLink_ErrorRuntime number;
  std::u16string description;  // "" stands for the string-table text of `number`
};

class DecodeAnswerFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DecodeAnswerFailure, StoresAndRaisesTheError) {
  const FailureCase& c = GetParam();
  const std::u16string description =
      c.description.empty() ? typelib::ErrorText(c.number).str() : c.description;
  control::ControlState state = StateAfterEarlierFailure();
  const auto error = CatchAutomationError([&] { DecodeAnswer(state, c.answer); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), c.number);
  EXPECT_EQ(error->Source().str(), u"OrvuLink");
  EXPECT_EQ(error->Description().str(), description);
  EXPECT_EQ(state.ErrCode, c.number);
  EXPECT_EQ(state.ErrDescription, description);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeAnswerFailure,
    ::testing::Values(
        FailureCase{u"", ORVULINK_ERROR_NETWORK, u"SMS gateway: unable to connect to server"},
        FailureCase{u"99\nanything", ORVULINK_ERROR_AUTHENTICATION,
                    u"SMS gateway: username/password error"},
        FailureCase{u"89\n", ORVULINK_ERROR_WRONG, u""},
        FailureCase{u"93\n", ORVULINK_ERROR_AUTORESPONDER, u""},
        FailureCase{u"94 1", ORVULINK_ERROR_VAPCODE, u""},
        FailureCase{u"95", ORVULINK_ERROR_SENTSMS, u""},
        FailureCase{u"96\n", ORVULINK_ERROR_GATEWAY, u""},
        FailureCase{u"97\n0", ORVULINK_ERROR_CREDIT, u""},
        FailureCase{u"98\n", ORVULINK_ERROR_CGI, u""},
        FailureCase{u"00\n<pre>Service closed</pre>", ORVULINK_ERROR_TEXT_MESSAGE,
                    u"Service closed"},
        FailureCase{u"00\n<pre></pre>", ORVULINK_ERROR_TEXT_MESSAGE,
                    u"SMS gateway: message from gateway"},
        FailureCase{u"00\n<pre>   </pre>", ORVULINK_ERROR_TEXT_MESSAGE, u""},
        FailureCase{u"00\nService closed", ORVULINK_ERROR_TEXT_MESSAGE, u""},
        FailureCase{u"7", ORVULINK_ERROR_COMMAND, u"SMS gateway: command error"},
        FailureCase{u"45 x", ORVULINK_ERROR_COMMAND, u"SMS gateway: command error"},
        FailureCase{u" 01", ORVULINK_ERROR_COMMAND, u""},
        FailureCase{u"00\nxx<pre>Closed</pre>", ORVULINK_ERROR_TEXT_MESSAGE, u"Closed"},
        FailureCase{u"00\n</pre>x<pre>y", ORVULINK_ERROR_TEXT_MESSAGE, u""},
        FailureCase{u"00</pre>a<pre> Msg </pre>", ORVULINK_ERROR_TEXT_MESSAGE, u"Msg"},
        FailureCase{u"00\n<pre>a<pre>b</pre>c</pre>", ORVULINK_ERROR_TEXT_MESSAGE, u"ab"},
        FailureCase{u"00\n<PRE>Upper</PRE>", ORVULINK_ERROR_TEXT_MESSAGE, u""},
        FailureCase{u"97\n<pre>\u4e2d\u6587 \u20ac\U0001F600</pre>", ORVULINK_ERROR_CREDIT,
                    u"\u4e2d\u6587 \u20ac\U0001F600"}));

struct SuccessCase {
  std::u16string answer;
  std::u16string description;  // ErrDescription afterwards
};

class DecodeAnswerSuccess : public ::testing::TestWithParam<SuccessCase> {};

TEST_P(DecodeAnswerSuccess, ReturnsAndLeavesErrCode) {
  control::ControlState state = StateAfterEarlierFailure();
  EXPECT_NO_THROW(DecodeAnswer(state, GetParam().answer));
  EXPECT_EQ(state.ErrCode, kStaleCode);
  EXPECT_EQ(state.ErrDescription, GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeAnswerSuccess,
                         ::testing::Values(SuccessCase{u"01", kStaleText},
                                           SuccessCase{u"01\n12.5", kStaleText},
                                           SuccessCase{u"01\n<pre>Note</pre>", u"Note"},
                                           SuccessCase{u"01\n<pre></pre>", u""},
                                           SuccessCase{u"01\n</pre><pre>", kStaleText}));

TEST(DecodeAnswer, MegabyteAnswersDecode) {
  std::u16string message(1 << 20, u'\u4e2d');
  control::ControlState state;
  const auto framed = CatchAutomationError(
      [&] { DecodeAnswer(state, u"00\n<pre>" + message + u"</pre>" + message); });
  ASSERT_TRUE(framed);
  EXPECT_EQ(framed->Description().str(), message);

  std::mt19937 random(7);
  std::uniform_int_distribution<int> anyUnit(0, 0xFFFF);
  for (char16_t& unit : message)
    unit = static_cast<char16_t>(anyUnit(random));
  const auto noise = CatchAutomationError([&] { DecodeAnswer(state, u"99" + message); });
  ASSERT_TRUE(noise);
  EXPECT_EQ(noise->Number(), ORVULINK_ERROR_AUTHENTICATION);
}

TEST(Payload, StartsAtTheFourthCharacter) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u""}, {u"01", u""}, {u"01\n", u""}, {u"01\nabc", u"abc"}, {u"01\n\u4e2d", u"\u4e2d"}};
  for (const auto& [answer, payload] : cases)
    EXPECT_EQ(Payload(answer), payload);
}

}  // namespace
}  // namespace orvulink::gateway
