#include <gtest/gtest.h>

#include "control/error_exit.hpp"
#include "test_support.hpp"

#include <new>
#include <stdexcept>
#include <vector>

namespace orvulink::control {
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

TEST(ErrorExit, RelayKeepsNumberAndTextAndRaisesAgain) {
  struct Case {
    std::function<void()> fail;
    std::int16_t code;
    const char* text;
  };
  const std::vector<Case> cases = {
      {[] { throw AutomationError(28390, u"elsewhere", u"gateway text"); }, 28390, "gateway text"},
      {[] { throw std::out_of_range("field 7"); }, 9, "Subscript out of range"},
      {[] { throw std::bad_alloc(); }, 7, "Out of memory"},
      {[] { throw std::invalid_argument("cut"); }, 5, "Invalid procedure call or argument"},
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

TEST(ErrorExit, TrappedBodiesReturnTheirResult) {
  ControlState state;
  EXPECT_EQ(Trapped(state, [] { return 150.5; }), 150.5);
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
}  // namespace orvulink::control
