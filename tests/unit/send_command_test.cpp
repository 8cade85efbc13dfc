#include <gtest/gtest.h>

#include <orvulink/platform.hpp>

#include "send_support.hpp"

namespace orvulink {
namespace {

using testing::PercentEncoded;
using testing::SendListTest;

constexpr auto INSEND = ORVULINK_MESSAGESEND_INSEND;
constexpr auto FORWARD = ORVULINK_MESSAGESEND_FORWARD;

class SendCommand : public SendListTest {
 protected:
  void SetUp() override {
    SendListTest::SetUp();
    connection_ = list_->ProgresSend.Connect([this](OrvuLink_CodeProgress& step) {
      events_.push_back(step);
      step = ORVULINK_PROGRESS_FINISH;  // written back, and ignored
    });
  }
  static std::string Line(const std::vector<std::string>& fields) {
    std::string line;
    for (const auto& field : fields) {
      if (!line.empty()) line += '\t';
      line += PercentEncoded(field);
    }
    return line;
  }
  void AddThree() {
    list_->AddMessage("+391110000001", "Ciao", "Mario");
    list_->AddMessage("+391110000002", "Ciao", "Mario");
    list_->AddMessage("+391110000003", "Altro", "Mario", Date::FromParts({2030, 5, 6, 7, 8, 9}));
  }

  std::vector<OrvuLink_CodeProgress> events_;
  Event<OrvuLink_CodeProgress&>::Connection connection_;
};

TEST_F(SendCommand, TheCommandCarriesOneLinePerGroup) {
  control_->VAPcode("ABCDEFGHIJ");
  control_->TestMode(VariantBool(true));
  AddThree();
  // Joined, these two keys coincide with each other; they must still be two lines.
  list_->AddMessage("+391110000004", "EF", "ABCD");
  list_->AddMessage("+391110000005", "F", "ABCDE");
  Answer("01 0;X1;");
  EXPECT_EQ(list_->SendMessage(), VariantBool(true));
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0],
            testing::Head(14) + testing::SerialField() + "&SENDDATA=" +
                Line({"0", "Mario", "+391110000001,+391110000002", "Ciao", "0000-00-00", "00:00"}) +
                "\r\n" + Line({"1", "Mario", "+391110000003", "Altro", "2030-05-06", "07:08"}) +
                "\r\n" + Line({"2", "ABCD", "+391110000004", "EF", "0000-00-00", "00:00"}) +
                "\r\n" + Line({"3", "ABCDE", "+391110000005", "F", "0000-00-00", "00:00"}) +
                "&VCODE=" + PercentEncoded("ABCDEFGHIJ") + "&TEST=1");
}

TEST_F(SendCommand, ASuccessAnswerIsAppliedPerRecipient) {
  AddThree();
  clock_->now = Date::FromParts({2024, 2, 3, 4, 5, 59});
  Answer("01 0;ID1,ID2,id1;+391110000002\t1;;");
  EXPECT_EQ(list_->SendMessage(), VariantBool(true));
  EXPECT_EQ(events_, (std::vector{ORVULINK_PROGRESS_COMPOSEREQUEST, ORVULINK_PROGRESS_REQUEST,
                                  ORVULINK_PROGRESS_SAVERESPOSE, ORVULINK_PROGRESS_FINISH}));
  EXPECT_EQ(Statuses(), (std::vector{FORWARD, ORVULINK_MESSAGESEND_ERRGATEWAY, FORWARD}));
  EXPECT_EQ(list_->CountMessageForward(), 2);
  EXPECT_EQ(list_->CountMessageError(), 1);
  EXPECT_EQ(list_->CountMessageToSend(), 0);

  auto first = list_->Item(1);
  ASSERT_NE(first->OrderID(), nullptr);
  EXPECT_EQ(first->OrderID()->Count(), 2);  // the repeated ID kept once
  EXPECT_EQ(first->OrderID()->Item(2), BStr("ID2"));
  EXPECT_EQ(list_->Item(2)->OrderID(), nullptr);
  EXPECT_EQ(list_->Item(3)->OrderID()->Count(), 0);
  // Sent at once: the send date is fixed to the minute the answer was applied.
  clock_->now = Date::FromParts({2025, 1, 1, 0, 0, 0});
  EXPECT_EQ(first->DateTime(), Date::FromParts({2024, 2, 3, 4, 5, 0}));
}

TEST_F(SendCommand, UnusableSuccessAnswersLeaveTheMessagesInSend) {
  const struct {
    const char* answer;
    int error;  // 0: the send succeeds
    std::vector<OrvuLink_StatusMessage> statuses;
  } cases[] = {
      {"01 5", 28390, {INSEND, INSEND, INSEND}},
      {"01 ", 0, {INSEND, INSEND, INSEND}},
      {"01 1;B;\t0;A", 28390, {INSEND, INSEND, FORWARD}},
      {"01 7;Z;\t1;B;", 0, {INSEND, INSEND, FORWARD}},
  };
  for (const auto& c : cases) {
    list_->Clear();
    AddThree();
    Answer(c.answer);
    EXPECT_EQ(testing::RaisedNumber([&] { list_->SendMessage(); }), c.error) << c.answer;
    EXPECT_EQ(Statuses(), c.statuses) << c.answer;
    // Messages in a command whose fate is unknown are never sent twice.
    const std::size_t sent = Sent().size();
    list_->SendMessage();
    EXPECT_EQ(Sent().size(), sent) << c.answer;
  }
}

TEST_F(SendCommand, ANetworkFailureKeepsTheMessagesFromBeingSentTwice) {
  AddThree();
  for (int attempt = 0; attempt < 3; ++attempt)
    http_.script->Queue({"", "", 0, true});
  const auto error = testing::CatchAutomationError([&] { list_->SendMessage(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(control_->ErrCode(), static_cast<std::int16_t>(error->Number()));
  EXPECT_EQ(Statuses(), (std::vector{INSEND, INSEND, INSEND}));
  EXPECT_EQ(list_->CountMessageToSend(), 3);

  // A later command in the same group, refused and then accepted, neither puts the messages in
  // doubt back into the queue nor hands them its order IDs.
  list_->AddMessage("+391110000004", "Ciao", "Mario");
  Answer("96 busy");
  EXPECT_TRUE(testing::RaisesError(28383, [&] { list_->SendMessage(); }));
  Answer("01 0;ORD-9;");
  EXPECT_EQ(list_->SendMessage(), VariantBool(true));
  EXPECT_EQ(Statuses(), (std::vector{INSEND, INSEND, INSEND, FORWARD}));
  for (std::size_t i = 3; i < Sent().size(); ++i)
    EXPECT_EQ(Sent()[i].find(PercentEncoded("+391110000001")), std::string::npos) << i;

  // The host may decide to send one again: withdrawn and added anew, it goes out.
  auto doubtful = list_->Item(1);
  EXPECT_EQ(list_->RemoveMessage(doubtful), VariantBool(true));
  list_->AddMessage("+391110000001", "Ciao", "Mario");
  Answer("01 0;ORD-10;");
  EXPECT_EQ(list_->SendMessage(), VariantBool(true));
  EXPECT_NE(Sent().back().find(PercentEncoded("+391110000001")), std::string::npos);
  EXPECT_EQ(list_->Item(list_->Count())->Status(), FORWARD);
}

// The host's code runs at every pump and progress event of a send; the randomized re-entry test
// covers most of it, these two cases it does not reach.
TEST_F(SendCommand, AFailingHookWhileComposingDoesNotStopTheSend) {
  AddThree();
  int pumps = 0;
  // Pumps 1 and 2 surround the first event; the next three are the members'.
  platform::SetMessagePump([&] {
    if (++pumps >= 3 && pumps <= 5) throw AutomationError(5, u"Host", u"broken");
  });
  Answer("01 0;A;\t1;B;");
  EXPECT_EQ(list_->SendMessage(), VariantBool(true));
  platform::SetMessagePump(nullptr);
  EXPECT_EQ(Statuses(), (std::vector{FORWARD, FORWARD, FORWARD}));
}

// A group add that fills the list sends it; what the host lists meanwhile must not take the
// group's place, or the rest of the group would go out with another text.
TEST_F(SendCommand, AGroupAddAcrossAnAutomaticSendKeepsItsText) {
  list_->MaxListToSend(2);
  list_->AutoSend(VariantBool(true));
  auto host = list_->ProgresSend.Connect([this](OrvuLink_CodeProgress&) {
    if (events_.back() != ORVULINK_PROGRESS_SAVERESPOSE) return;
    list_->Clear();
    list_->AddMessage("+391110000009", "Altro", "Mario");
  });
  Collection phones;
  for (const char* phone : {"+391110000001", "+391110000002", "+391110000003"})
    phones.Add(phone);
  Answer("01 0;A;");
  Answer("01 0;B;\t1;C;");
  EXPECT_EQ(list_->AddGroupMessage(phones, "Ciao", "Mario"), VariantBool(true));
  host.Disconnect();
  EXPECT_EQ(list_->SendMessage(), VariantBool(true));
  ASSERT_EQ(Sent().size(), 2u);
  EXPECT_NE(Sent()[1].find(Line({"0", "Mario", "+391110000009", "Altro"})), std::string::npos);
  EXPECT_NE(Sent()[1].find(Line({"1", "Mario", "+391110000003", "Ciao"})), std::string::npos);
}

}  // namespace
}  // namespace orvulink
