// Faults the fuzz targets of fuzz/ found, each kept from coming back. (The settings file's are
// seeds of the property-bag target's corpus, replayed by ctest.)
#include <gtest/gtest.h>

#include <orvulink/send.hpp>

#include "platform/text.hpp"
#include "send/access.hpp"
#include "send/message_rules.hpp"
#include "send/message_setters.hpp"
#include "test_support.hpp"

#include <optional>

namespace orvulink {
namespace {

using testing::RaisesError;

constexpr double kSecond = 1.0 / 86400.0;

// Rounded to the second, a date can leave the calendar at its end or land on day zero; neither
// may become a send date the message cannot read back.
TEST(FuzzRegression, SendDatesThatRoundOutOfTheirDayAreRefused) {
  const double lastDay = Date::FromParts({9999, 12, 31, 0, 0, 0}).value;
  const struct {
    const char* name;
    double value;
    std::optional<std::u16string> dateText;  // none: ERRDATETIME
  } cases[] = {
      {"last second of the range", lastDay + 86399.4 * kSecond, u"9999-12-31 23:59"},
      {"rounds up past the range", lastDay + 86399.6 * kSecond, std::nullopt},
      {"a day before the epoch", -1.5, u"1899-12-29 12:00"},
      {"rounds up onto day zero", -1.0 - 86399.6 * kSecond, std::nullopt},
      {"last instant before day zero", -1.9999999999999998, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(send::SendDateText(Date(c.value)), c.dateText) << c.name;
    const auto message = send::BuildMessage(u"+391110000001", u"Ciao", u"Mario", Date(c.value));
    EXPECT_EQ(message->Status() == ORVULINK_MESSAGESEND_ERRDATETIME, !c.dateText) << c.name;
  }
  EXPECT_TRUE(RaisesError(5, [&] { Date(lastDay + 86399.6 * kSecond).FormatGeneral(); }));
}

// An answer may name more order IDs than an Integer counts: the count stays at its largest.
TEST(FuzzRegression, AnOrderIDListBeyondAnIntegerCountsAsItsLargest) {
  std::u16string field;
  for (int i = 0; i < 32770; ++i)
    field += (i ? u",ORD-" : u"ORD-") + platform::Utf8ToUtf16(std::to_string(i));
  auto ids = send::Access::NewOrderIDs();
  send::Access::SetOrderIDs(*ids, send::DistinctOrderIDs(field));
  EXPECT_EQ(ids->Count(), 32767);
  EXPECT_EQ(ids->Item(32767).utf8(), "ORD-32766");
}

}  // namespace
}  // namespace orvulink
