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
#include <vector>

namespace orvulink::platform {
namespace {

struct RuntimeErrorCase {
  std::int32_t number;
  const char* text;
};

const std::vector<RuntimeErrorCase> kRuntimeErrors = {
    {5, "Invalid procedure call or argument"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript out of range"},
    {13, "Type mismatch"},
    {91, "Object variable or With block variable not set"},
    {457, "This key is already associated with an element of this collection"},
    {0, "Application-defined or object-defined error"},
    {1000, "Application-defined or object-defined error"},
};

TEST(RuntimeErrorTest, RaisesNumberTextAndSource) {
  for (const auto& expected : kRuntimeErrors) {
    EXPECT_EQ(RuntimeErrorText(expected.number).utf8(), expected.text);
    try {
      RaiseRuntimeError(expected.number);
      ADD_FAILURE() << "nothing raised for " << expected.number;
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.Number(), expected.number);
      EXPECT_EQ(error.Description().utf8(), expected.text);
      EXPECT_EQ(error.Source().utf8(), "OrvuLink");
      EXPECT_EQ(std::string(error.what()), std::to_string(expected.number) + ": " + expected.text);
      EXPECT_EQ(error.HResult(), 0x800A0000u + static_cast<std::uint32_t>(expected.number));
    }
  }
}

template <class Exception>
std::int32_t NumberFor(Exception exception) {
  try {
    throw exception;
  } catch (...) {
    return CurrentExceptionAsAutomationError().Number();
  }
}

TEST(CurrentExceptionTest, MapsExceptionKindsToRuntimeNumbersAndKeepsAnAutomationErrorWhole) {
  EXPECT_EQ(NumberFor(AutomationError(30001, "OrvuLink", "custom")), 30001);
  EXPECT_EQ(NumberFor(std::bad_alloc()), 7);
  EXPECT_EQ(NumberFor(std::out_of_range("index")), 9);
  EXPECT_EQ(NumberFor(std::length_error("length")), 9);
  EXPECT_EQ(NumberFor(std::runtime_error("other")), 5);
  EXPECT_EQ(NumberFor(std::invalid_argument("logic")), 5);
  EXPECT_EQ(NumberFor(42), 5);
  EXPECT_EQ(CurrentExceptionAsAutomationError().Number(), 5);  // outside a handler
  try {
    throw AutomationError(457, "Host", "described");
  } catch (...) {
    const AutomationError error = CurrentExceptionAsAutomationError();
    EXPECT_EQ(error.Source().utf8(), "Host");
    EXPECT_EQ(error.Description().utf8(), "described");
  }
}

}  // namespace
}  // namespace orvulink::platform

namespace orvulink::core {
namespace {

using testing::CatchAutomationError;

TEST(ErrorExit, NumberedErrorsCarryTheStringTableText) {
  ControlState state;
  auto error = CatchAutomationError([&] { RaiseNumbered(state, ORVULINK_ERROR_CREDIT); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 28377);
  EXPECT_EQ(error->Source(), BStr("OrvuLink"));
  EXPECT_EQ(error->Description(), BStr("SMS gateway: insufficient credit"));
  EXPECT_EQ(state.ErrCode, 28377);
  EXPECT_EQ(state.ErrDescription, u"SMS gateway: insufficient credit");
}

// Every kind of exception is mapped as the runtime maps it; here, that the exit stores and raises.
TEST(ErrorExit, RelayKeepsNumberAndTextAndRaisesAgain) {
  struct Case {
    std::function<void()> fail;
    std::int16_t code;
    const char* text;
  };
  const std::vector<Case> cases = {
      {[] { throw AutomationError(28390, u"elsewhere", u"gateway text"); }, 28390, "gateway text"},
      {[] { throw std::out_of_range("field 7"); }, 9, "Subscript out of range"},
      {[] { throw 42; }, 5, "Invalid procedure call or argument"},
      // 70000 does not fit 16 bits: its low 16 bits are kept.
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
}

TEST(ErrorExit, SuppressedBodiesNeverRaise) {
  ControlState state;
  bool completed = true;
  EXPECT_NO_THROW(completed = Suppressed([&] { RaiseNumbered(state, ORVULINK_ERROR_VAPCODE); }));
  EXPECT_FALSE(completed);
  EXPECT_EQ(state.ErrCode, 28384);
  EXPECT_TRUE(Suppressed([] {}));
}

}  // namespace
}  // namespace orvulink::core
