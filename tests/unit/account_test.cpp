#include <gtest/gtest.h>

#include <orvulink/property_bag.hpp>

#include "core/control_state.hpp"
#include "send_support.hpp"

namespace orvulink {
namespace {

using testing::CatchAutomationError;
using testing::Head;
using testing::PercentEncoded;
using testing::SerialField;

class Account : public testing::SignedInTest {
 protected:
  // A new control, never given credentials.
  void Anonymous() {
    control_ = OrvuLinkActiveX::Create();
    control_->AutomaticProxy(false);
  }
  void ExpectRelayed(const std::optional<AutomationError>& error, int number,
                     const char* description) {
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), number);
    EXPECT_EQ(error->Source(), BStr("OrvuLink"));
    EXPECT_EQ(error->Description(), BStr(description));
    EXPECT_EQ(control_->ErrCode(), static_cast<std::int16_t>(number));
    EXPECT_EQ(control_->ErrDescription(), BStr(description));
  }
};

// The number read is the count fuzz target's; here where the payload ends it, and the failures.
TEST_F(Account, CreditIsTheLeadingNumberBeforeTheFirstSpace) {
  const struct {
    const char* answer;
    double credit;
    int number = 0;  // the error relayed instead
    const char* description = "";
  } cases[] = {{"01\n150,5 EUR", 150.0},
               {"01  150 EUR", 0.0},
               {"01 \t\n4.5\t6 EUR", 4.5},
               {"01 150.5", 0, 5, "Invalid procedure call or argument"},
               {"01\n", 0, 28390, "SMS gateway: command error"}};
  for (const auto& c : cases) {
    Answer(c.answer);
    if (c.number == 0) {
      EXPECT_EQ(control_->GetCredit(), c.credit) << c.answer;
    } else {
      ExpectRelayed(CatchAutomationError([&] { control_->GetCredit(); }), c.number, c.description);
    }
  }
}

TEST_F(Account, CommandsWithoutCredentialsLeaveTheVerdictToTheGateway) {
  Anonymous();
  Answer("99 denied");
  ExpectRelayed(CatchAutomationError([&] { control_->DelMessage("1"); }), 28375,
                "SMS gateway: username/password error");
  EXPECT_EQ(Sent().at(0), "CMD=9&UID=&PWD=&ORDERID=" + PercentEncoded("1") +
                              "&DEST=" + PercentEncoded("+") + SerialField());
}

TEST_F(Account, DeleteSendsTheCleanedOrderAndNumberAndReturnsThePayload) {
  const struct {
    const char* orderId;
    const char* phone;  // nullptr: left out
    const char* sentOrder;
    const char* sentDest;
  } cases[] = {
      {"12;34:56", nullptr, "123456", "+"},
      {"A,1\r\nB\tC", "", "A1BC", "+"},
      {"7", " 0039333123456 ", "7", "+39333123456"},
  };
  const std::string payload = "Cancellati: 3\t<b>ok</b> ";
  for (const auto& c : cases) {
    Answer("01 " + payload);
    const BStr result =
        c.phone ? control_->DelMessage(c.orderId, c.phone) : control_->DelMessage(c.orderId);
    EXPECT_EQ(result.utf8(), payload);
    EXPECT_EQ(Sent().back(), Head(9) + "&ORDERID=" + PercentEncoded(c.sentOrder) +
                                 "&DEST=" + PercentEncoded(c.sentDest) + SerialField())
        << c.orderId;
  }
}

TEST_F(Account, CommandsCarryTheDigestsAndTheSerialAndUserInformationIsAskedForOnce) {
  Answer("01 12 EUR");
  EXPECT_EQ(control_->GetCredit(), 12.0);
  EXPECT_EQ(Sent().at(0), Head(2) + SerialField());
  Anonymous();
  control_->UserName("mario");
  ExpectRelayed(CatchAutomationError([&] { control_->NotifyServer(); }), 28375,
                "SMS gateway: username/password error");
  EXPECT_EQ(Sent().size(), 1u);
  control_->Password("segreto");
  Answer("01 0\tS\t0\t0\tS\t0\tS\tKEYS");
  EXPECT_EQ(control_->NotifyServer(), 1);
  EXPECT_EQ(control_->NotifyServer(), 1);
  control_->UserName("luigi");
  EXPECT_EQ(control_->ForeignCountry(), 1);
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_EQ(Sent()[1], Head(7) + SerialField());
}

TEST_F(Account, FlagsAreExactlyS) {
  const struct {
    const char* payload;
    std::int16_t server, user, foreign;
    const char* keys;
  } cases[] = {
      {"0\tS\t0\t0\tx\t0\tS\tK1;K2", 1, 0, 1, "K1;K2"},
      {"0\ts\t0\t0\tS\t0\tSI\t", 0, 1, 0, ""},
      {"0\tS \t0\t0\tS\t0\tN\tK\tS\tS", 0, 1, 0, "K"},
  };
  for (const auto& c : cases) {
    Anonymous();
    control_->UserName("mario");
    control_->Password("segreto");
    core::ThisThreadState().ReceptionKeyList = u"former";
    Answer(std::string("01 ") + c.payload);
    EXPECT_EQ(control_->NotifyServer(), c.server) << c.payload;
    EXPECT_EQ(control_->NotifyUser(), c.user) << c.payload;
    EXPECT_EQ(control_->ForeignCountry(), c.foreign) << c.payload;
    EXPECT_EQ(BStr(core::ThisThreadState().ReceptionKeyList).utf8(), c.keys) << c.payload;
  }
}

// Fields are read in order: a short answer sets the leading flags, then fails.
TEST_F(Account, AShortUserInformationSetsTheLeadingFlagsThenFails) {
  core::ThisThreadState().NotifyServerFlag = VariantBool(false);
  Answer("01 0\tS\t0\t0\tN");
  EXPECT_TRUE(testing::RaisesError(9, [&] { control_->NotifyUser(); }));
  EXPECT_TRUE(core::ThisThreadState().NotifyServerFlag.IsTrue());
}

TEST_F(Account, RestoredCredentialsReachTheFirstCommand) {
  Anonymous();
  MemoryPropertyBag bag;
  bag.Set("UseAutomayicProxy", false);  // keeps the probe out of the exchange
  bag.Set("UserName", "anna");
  bag.Set("Password", "pw");
  control_->ReadProperties(bag);
  Answer("01 1 EUR");
  control_->GetCredit();
  EXPECT_EQ(Sent().at(0), Head(2, "anna", "pw") + SerialField());
}

}  // namespace
}  // namespace orvulink
