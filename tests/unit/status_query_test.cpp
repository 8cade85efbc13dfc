#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>

#include "send_support.hpp"

namespace orvulink {
namespace {

using testing::RaisesError;

// The status list of a signed-in control, its progress events and its recipients.
class StatusList : public testing::SignedInTest {
 protected:
  void SetUp() override {
    SignedInTest::SetUp();
    list_ = control_->MessagesToNotify();
    connection_ = list_->ProgresNotify.Connect(
        [this](OrvuLink_CodeProgress& step) { events_.push_back(step); });
  }

  // The numbers an order ID follows, in order.
  std::vector<std::string> Phones(const char* orderId) const {
    std::vector<std::string> phones;
    for (const auto& recipient : *list_->ItemOrderID(orderId))
      phones.push_back(recipient->PhoneGsm().utf8());
    return phones;
  }
  struct Seen {
    std::string phone;
    OrvuLink_StateNotify status;
    OrvuLink_CodeReason reason;
    friend bool operator==(const Seen&, const Seen&) = default;
  };
  std::vector<Seen> Recipients(const char* orderId) const {
    std::vector<Seen> seen;
    for (const auto& r : *list_->ItemOrderID(orderId)) {
      seen.push_back({r->PhoneGsm().utf8(), r->Status(), r->ReasonCode()});
    }
    return seen;
  }

  std::shared_ptr<OrvuNotifiedMessages> list_;
  std::vector<OrvuLink_CodeProgress> events_;
  Event<OrvuLink_CodeProgress&>::Connection connection_;
};

TEST_F(StatusList, AddingFollowsAnOrderOrItsNamedRecipients) {
  const struct {
    const char* orderId;
    const char* phone;
    bool changed;
    std::vector<std::string> phonesOf123;
  } steps[] = {
      {"1;2:3", "0039333111", true, {"+39333111"}},
      {"123", "+39333111", false, {"+39333111"}},
      {"123", "333222", true, {"+39333111", "+333222"}},
      {"123", "", true, {}},  // now every recipient of the order
      {"123", "0039333111", false, {}},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(list_->AddMessage(step.orderId, step.phone), VariantBool(step.changed))
        << step.orderId << " " << step.phone;
    EXPECT_EQ(Phones("123"), step.phonesOf123) << step.orderId << " " << step.phone;
  }
  EXPECT_EQ(list_->Count(), 1);
  EXPECT_EQ(list_->ItemOrderID("1;2:3"), nullptr);  // lookups take the key as given
  EXPECT_NE(list_->ItemOrderID("123"), nullptr);
  EXPECT_EQ(list_->ItemOrderID("123")->NewEnum(), nullptr);
}

TEST_F(StatusList, KeysIgnoreCaseAndRemovalKeepsTheRest) {
  list_->AddMessage("abc", "+39333111");
  EXPECT_EQ(list_->AddMessage("ABC", "+39333111"), VariantBool(false));
  list_->AddMessage("def");
  list_->AddMessage("ghi");
  EXPECT_EQ(list_->Count(), 3);

  EXPECT_EQ(list_->RemoveMessage("ABC", "0039333111"), VariantBool(true));
  EXPECT_EQ(list_->ItemOrderID("abc")->Count(), 0);  // the order ID itself stays
  EXPECT_EQ(list_->RemoveMessage("abc", "+39333111"), VariantBool(false));
  EXPECT_EQ(list_->RemoveMessage("def"), VariantBool(true));
  EXPECT_EQ(list_->Item(2)->OrderID(), BStr("ghi"));
  EXPECT_EQ(list_->ItemOrderID("GHI"), list_->Item(2));
}

TEST_F(StatusList, CapacityRefusesOrEmpties) {
  list_->MaxListToNotify(2);
  list_->AddMessage("1");
  list_->AddMessage("2");
  EXPECT_TRUE(RaisesError(28378, [&] { list_->AddMessage("3"); }));
  EXPECT_EQ(list_->Count(), 2);
  EXPECT_EQ(control_->ErrCode(), 28378);
  for (std::int16_t bad : {0, 3001}) {
    EXPECT_TRUE(RaisesError(28378, [&] { list_->MaxListToNotify(bad); }));
    EXPECT_EQ(list_->MaxListToNotify(), 2);
    EXPECT_EQ(list_->Count(), 2);
  }
  list_->MaxListToNotify(3000);
  EXPECT_EQ(list_->Count(), 0);
}

TEST_F(StatusList, AnOrderWithoutRecipientsGetsThemFromTheAnswer) {
  list_->AddMessage("1001");
  list_->AddMessage("1002", "+39333111");
  list_->AddMessage("1003", "+39333111");
  list_->AddMessage("1003", "+39333222");
  Answer(
      "01 1001\t2006-01-20,10:15:00,+39333111,3,0;2006-01-20,10:16:00,+39333222,0\r\n"
      "1002\tNULL");
  EXPECT_EQ(list_->GetStatusNotify(), VariantBool(true));
  EXPECT_EQ(Sent(), std::vector<std::string>{testing::Head(15) + "&QUERYDATA=" +
                                             testing::PercentEncoded("1001:;1002:+39333111;1003:") +
                                             testing::SerialField()});
  EXPECT_EQ(events_.size(), 4u);

  EXPECT_EQ(list_->ItemOrderID("1001")->Status(), ORVULINK_ORDERID_CORRECTED);
  EXPECT_EQ(
      Recipients("1001"),
      (std::vector<Seen>{{"+39333111", ORVULINK_STATE_DELIVERED, ORVULINK_CODEREASON_PHONEGSM},
                         {"+39333222", ORVULINK_STATE_GETWAY, ORVULINK_CODEREASON_INDEFINITE}}));
  EXPECT_EQ(list_->ItemOrderID("1001")->Item(1)->DateTime(),
            Date::FromParts({2006, 1, 20, 10, 15, 0}));
  EXPECT_EQ(list_->ItemOrderID("1002")->Status(), ORVULINK_ORDERID_NOTCORRECTED);
  EXPECT_EQ(list_->ItemOrderID("1003")->Status(), ORVULINK_ORDERID_NOTCORRECTED);
  EXPECT_EQ(Recipients("1002"), (std::vector<Seen>{{"+39333111", ORVULINK_STATE_ERRGATEWAY,
                                                    ORVULINK_CODEREASON_INDEFINITE}}));

  events_.clear();
  EXPECT_EQ(list_->GetStatusNotify(), VariantBool(false));  // each order ID is asked once
  EXPECT_EQ(events_, std::vector{ORVULINK_PROGRESS_COMPOSEREQUEST});
  EXPECT_EQ(Sent().size(), 1u);
}

// Numbers are kept inside their recipient up to 20 units and on the heap beyond: both read
// back and are found, in the form the list gives every number.
TEST_F(StatusList, AnsweredNumbersOfAnyLengthAreKeptInInternationalForm) {
  list_->AddMessage("2001");
  Answer(
      "01 2001\t2006-01-20,10:15:00, 0039333111 ,0;2006-01-20,10:15:00,1234567890123456789,0;"
      "2006-01-20,10:15:00,12345678901234567890,0;2006-01-20,10:15:00,+39:333:444,0;"
      ":-,-:,+39333555,0");  // marks of a placeholder at the very start: no placeholder
  EXPECT_EQ(list_->GetStatusNotify(), VariantBool(true));
  const std::vector<std::string> phones = {"+39333111", "+1234567890123456789",
                                           "+12345678901234567890", "+39333444", "+39333555"};
  EXPECT_EQ(Phones("2001"), phones);
  for (const auto& phone : phones)
    EXPECT_EQ(list_->ItemOrderID("2001")->ItemPhone(phone)->PhoneGsm().utf8(), phone);
}

TEST_F(StatusList, NamedRecipientsTakeOnlyTheirOwnEntries) {
  list_->AddMessage("1001", "+39333111");
  list_->AddMessage("1001", "+39333222");
  clock_->now = Date::FromParts({2024, 3, 4, 5, 6, 7});
  Answer(
      "01 1001\t0000-00-00,00:00:00,+39333111,2;2006-01-20,10:16:00,+39333999,3;"
      "bad,,+39333222,x,103,9");
  EXPECT_EQ(list_->GetStatusNotify(), VariantBool(true));
  EXPECT_EQ(
      Recipients("1001"),
      (std::vector<Seen>{{"+39333111", ORVULINK_STATE_OPERATOR, ORVULINK_CODEREASON_INDEFINITE},
                         {"+39333222", ORVULINK_STATE_GETWAY, ORVULINK_CODEREASON_INDEFINITE}}));
  EXPECT_EQ(list_->ItemOrderID("1001")->Item(1)->DateTime(), clock_->now);
  EXPECT_EQ(list_->ItemOrderID("1001")->Item(2)->DateTime(), Date{});  // unreadable: unchanged
}

TEST_F(StatusList, FailuresKeepWhatWasApplied) {
  const struct {
    const char* answer;
    int error;
    OrvuLink_StateOrederID first;
  } cases[] = {
      {"01 null", 28390, ORVULINK_ORDERID_TOVERIFY},
      {"99 x", 28375, ORVULINK_ORDERID_TOVERIFY},
      {"01 A\t2006-01-20,10:15:00,+39333111,3\r\nB", 9, ORVULINK_ORDERID_CORRECTED},
  };
  for (const auto& c : cases) {
    list_->Clear();
    list_->AddMessage("A");
    list_->AddMessage("B");
    events_.clear();
    Answer(c.answer);
    EXPECT_TRUE(RaisesError(c.error, [&] { list_->GetStatusNotify(); })) << c.answer;
    EXPECT_EQ(control_->ErrCode(), c.error) << c.answer;
    EXPECT_EQ(list_->Item(1)->Status(), c.first) << c.answer;
    EXPECT_EQ(list_->Item(2)->Status(), ORVULINK_ORDERID_TOVERIFY) << c.answer;
    EXPECT_NE(events_.back(), ORVULINK_PROGRESS_FINISH) << c.answer;
  }
}

TEST_F(StatusList, AFullListIsQueriedAndEmptiedWhenAutoNotifyIsOn) {
  list_->MaxListToNotify(1);
  list_->AutoNotify(VariantBool(true));
  list_->AddMessage("A");
  Answer("01 A\tNULL");
  EXPECT_EQ(list_->AddMessage("B"), VariantBool(true));
  EXPECT_EQ(list_->Count(), 1);
  EXPECT_EQ(list_->Item(1)->OrderID(), BStr("B"));
  EXPECT_EQ(events_.back(), ORVULINK_PROGRESS_FINISH);
}

}  // namespace
}  // namespace orvulink
