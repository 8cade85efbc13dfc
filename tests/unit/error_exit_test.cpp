// Automation errors: the runtime's numbers and texts, exceptions mapped to them, and the
// control's error exit that stores and raises them.
#include <gtest/gtest.h>

#include <orvulink/automation.hpp>

#include "core/error_exit.hpp"
#include "platform/runtime_error.hpp"
#include "test_support.hpp"

#include <new>
#include <stdexcept>
#include <string>

namespace orvulink::core {
namespace {

using testing::CatchAutomationError;

TEST(RuntimeError, RaisesNumberTextSourceAndResult) {
  const std::pair<std::int32_t, const char*> errors[] = {
      {5, "Invalid procedure call or argument"},
      {6, "Overflow"},
      {9, "Subscript out of range"},
      {13, "Type mismatch"},
      {457, "This key is already associated with an element of this collection"},
      {0, "Application-defined or object-defined error"}};
  for (const auto& [number, text] : errors) {
    const auto error = CatchAutomationError([n = number] { platform::RaiseRuntimeError(n); });
    ASSERT_TRUE(error) << number;
    EXPECT_EQ(error->Number(), number);
    EXPECT_EQ(error->Description().utf8(), text);
    EXPECT_EQ(error->Source().utf8(), "OrvuLink");
    EXPECT_EQ(error->HResult(), 0x800A0000u + static_cast<std::uint32_t>(number));
  }
}

// Each kind of exception becomes the runtime's number, kept whole in the state and raised again;
// a number beyond 16 bits keeps its low 16 bits.
TEST(ErrorExit, TrappedMapsStoresAndRaisesAgain) {
  const struct {
    std::function<void()> fail;
    std::int16_t code;
    const char* text;
  } cases[] = {
      {[] { throw AutomationError(28390, u"elsewhere", u"gateway text"); }, 28390, "gateway text"},
      {[] { throw std::bad_alloc(); }, 7, "Out of memory"},
      {[] { throw std::out_of_range("field 7"); }, 9, "Subscript out of range"},
      {[] { throw std::length_error("length"); }, 9, "Subscript out of range"},
      {[] { throw std::runtime_error("other"); }, 5, "Invalid procedure call or argument"},
      {[] { throw AutomationError(70000, u"x", u"big"); }, static_cast<std::int16_t>(70000 - 65536),
       "big"},
  };
  for (const auto& c : cases) {
    ControlState state;
    auto error = CatchAutomationError([&] { Trapped(state, c.fail); });
    ASSERT_TRUE(error) << c.text;
    EXPECT_EQ(state.ErrCode, c.code) << c.text;
    EXPECT_EQ(BStr(state.ErrDescription), BStr(c.text));
    EXPECT_EQ(error->Number(), c.code) << c.text;
    EXPECT_EQ(error->Source(), BStr("OrvuLink"));
  }
  EXPECT_EQ(platform::CurrentExceptionAsAutomationError().Number(), 5);  // outside a handler
}

// The numbers and texts hosts match on.
TEST(ErrorExit, NumberedErrorsCarryTheirNumberAndText) {
  const std::pair<OrvuLink_ErrorRuntime, const char*> errors[] = {
      {ORVULINK_ERROR_GENERIC, "generic error"},
      {ORVULINK_ERROR_AUTHENTICATION, "username/password error"},
      {ORVULINK_ERROR_CGI, "CGI error"},
      {ORVULINK_ERROR_CREDIT, "insufficient credit"},
      {ORVULINK_ERROR_MAXQUEUE, "too many messages in queue"},
      {ORVULINK_ERROR_NETWORK, "unable to connect to server"},
      {ORVULINK_ERROR_GATEWAY, "gateway error"},
      {ORVULINK_ERROR_VAPCODE, "wrong VAP Code"},
      {ORVULINK_ERROR_AUTORESPONDER,
       "autoresponder error (key is invalid or expired, or autoresponder text is invalid or "
       "already existing)"},
      {ORVULINK_ERROR_SENTSMS, "message already sent"},
      {ORVULINK_ERROR_WRONG, "message wrong"},
      {ORVULINK_ERROR_EXPLORER, "Intenet Explorer version old"},
      {ORVULINK_ERROR_TEXT_MESSAGE, "message from gateway"},
      {ORVULINK_ERROR_COMMAND, "command error"},
      {ORVULINK_EVENT_KEYRECIVE_REQUEST, "Request KeyRecive"}};
  const std::int32_t numbers[] = {28374, 28375, 28376, 28377, 28378, 28379, 28383, 28384,
                                  28385, 28386, 28387, 28388, 28389, 28390, 28391};
  for (std::size_t i = 0; i < std::size(errors); ++i) {
    ControlState state;
    auto error = CatchAutomationError([&] { RaiseNumbered(state, errors[i].first); });
    ASSERT_TRUE(error) << errors[i].second;
    EXPECT_EQ(error->Number(), numbers[i]) << errors[i].second;
    EXPECT_EQ(error->Description().utf8(), std::string("SMS gateway: ") + errors[i].second);
    EXPECT_EQ(state.ErrCode, numbers[i]);
    EXPECT_EQ(BStr(state.ErrDescription), error->Description());
  }
}

}  // namespace
}  // namespace orvulink::core
