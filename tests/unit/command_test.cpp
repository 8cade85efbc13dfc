// The decoding of the answer: exact error numbers and texts. The encoder, separators and phone
// numbers are the fuzz targets'; the layout of each command is asserted by its own tests.
#include <gtest/gtest.h>

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/answer.hpp"
#include "gateway/command.hpp"
#include "gateway/diagnostics.hpp"
#include "test_support.hpp"
#include "typelib/string_table.hpp"

#include <string>

namespace orvulink::gateway {
namespace {

using orvulink::testing::CatchAutomationError;

constexpr std::int16_t kStaleCode = 5;

core::ControlState StateAfterEarlierFailure() {
  core::ControlState state;
  state.ErrCode = kStaleCode;
  state.ErrDescription = std::u16string(5, u's');  // anything stale
  return state;
}

// What a host's diagnostics callback may show of a command: everything but the credentials.
TEST(RedactedCommand, ReplacesEveryCredentialAndNothingElse) {
  for (const auto& [command, shown] :
       {std::pair{u"CMD=14&UID=%61&PWD=%62&VCODE=%63&SERIAL=%64",
                  "CMD=14&UID=(redacted)&PWD=(redacted)&VCODE=(redacted)&SERIAL=%64"},
        {u"CMD=2&UID=&PWD=%62", "CMD=2&UID=(redacted)&PWD=(redacted)"},
        {u"CMD=15&QUERYDATA=%55%49%44", "CMD=15&QUERYDATA=%55%49%44"}})
    EXPECT_EQ(RedactedCommand(command), shown);
}

TEST(DecodeAnswer, StoresAndRaisesTheErrorOfAFailure) {
  const struct {
    std::u16string answer;
    OrvuLink_ErrorRuntime number;
    std::u16string description;  // "" stands for the string-table text of `number`
  } cases[] = {
      {u"", ORVULINK_ERROR_NETWORK, u"SMS gateway: unable to connect to server"},
      {u"99\nanything", ORVULINK_ERROR_AUTHENTICATION, u"SMS gateway: username/password error"},
      {u"89\n", ORVULINK_ERROR_WRONG, u""},
      {u"94 1", ORVULINK_ERROR_VAPCODE, u""},
      {u"95", ORVULINK_ERROR_SENTSMS, u""},
      {u"98\n0", ORVULINK_ERROR_CGI, u""},
      {u"00\n<pre>Service closed</pre>", ORVULINK_ERROR_TEXT_MESSAGE, u"Service closed"},
      {u"00\n<pre></pre>", ORVULINK_ERROR_TEXT_MESSAGE, u"SMS gateway: message from gateway"},
      {u"00\nService closed", ORVULINK_ERROR_TEXT_MESSAGE, u""},
      {u"7", ORVULINK_ERROR_COMMAND, u"SMS gateway: command error"},
      {u" 01", ORVULINK_ERROR_COMMAND, u""},
      {u"00</pre>a<pre> Msg </pre>", ORVULINK_ERROR_TEXT_MESSAGE, u"Msg"},
      {u"00\n<pre>a<pre>b</pre>c</pre>", ORVULINK_ERROR_TEXT_MESSAGE, u"ab"},
      {u"97\n<pre>\u4e2d\u6587 \u20ac\U0001F600</pre>", ORVULINK_ERROR_CREDIT,
       u"\u4e2d\u6587 \u20ac\U0001F600"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(BStr(c.answer).utf8());
    const std::u16string description =
        c.description.empty() ? typelib::ErrorText(c.number).str() : c.description;
    core::ControlState state = StateAfterEarlierFailure();
    const auto error = CatchAutomationError([&] { DecodeAnswer(state, c.answer); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), c.number);
    EXPECT_EQ(error->Source().str(), u"OrvuLink");
    EXPECT_EQ(error->Description().str(), description);
    EXPECT_EQ(state.ErrCode, c.number);
    EXPECT_EQ(state.ErrDescription, description);
  }
}

// The fuzz target checks that any success leaves ErrCode; here that its note is taken whole.
TEST(DecodeAnswer, ASuccessLeavesErrCodeAndTakesItsNote) {
  core::ControlState state = StateAfterEarlierFailure();
  DecodeAnswer(state, u"01\n<pre>Note</pre>");
  EXPECT_EQ(state.ErrCode, kStaleCode);
  EXPECT_EQ(state.ErrDescription, u"Note");
}

}  // namespace
}  // namespace orvulink::gateway
