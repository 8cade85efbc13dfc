#include <gtest/gtest.h>

#include "send/access.hpp"
#include "send/message_setters.hpp"
#include "send/send_list_state.hpp"
#include "send_support.hpp"
#include "walked_send_list.hpp"

#include <random>

namespace orvulink {
namespace {

using send::Access;
using testing::RaisesError;
using testing::SendListTest;
using testing::WalkedList;

constexpr auto TOSEND = ORVULINK_MESSAGESEND_TOSEND;
constexpr auto ERRDOUBLE = ORVULINK_MESSAGESEND_ERRDOUBLE;
constexpr auto CANCELLED = ORVULINK_MESSAGESEND_CANCELLED;

struct Counters {
  int count, forward, error, toSend;
  friend bool operator==(const Counters&, const Counters&) = default;
};
Counters CountersOf(const OrvuSendMessages& list) {
  return {list.Count(), list.CountMessageForward(), list.CountMessageError(),
          list.CountMessageToSend()};
}

// Bad numbers and senders are the walk's; a bad date is checked last and wins.
TEST_F(SendListTest, AFailedCheckIsAddedAndCounted) {
  EXPECT_EQ(list_->AddMessage("+12345", "Ciao", "AB", Date(0.5)), VariantBool(true));
  EXPECT_EQ(list_->Item(1)->Status(), ORVULINK_MESSAGESEND_ERRDATETIME);
  EXPECT_EQ(CountersOf(*list_), (Counters{1, 0, 1, 0}));
}

// Repeats and their hand-over at a withdrawal are the walk's; a second withdrawal changes nothing.
TEST_F(SendListTest, AWithdrawnMessageHandsOverOnce) {
  for (int i = 0; i < 3; ++i)
    list_->AddMessage("+391112223334", "Ciao", "Mario");
  auto first = list_->Item(1);
  EXPECT_EQ(list_->RemoveMessage(first), VariantBool(true));
  EXPECT_EQ(list_->RemoveMessage(first), VariantBool(true));
  EXPECT_EQ(Statuses(), (std::vector{CANCELLED, TOSEND, ERRDOUBLE}));
  std::shared_ptr<OrvuSendMessage> none;
  EXPECT_EQ(list_->RemoveMessage(none), VariantBool(false));
}

// Groups, repeats and bad numbers in a group are the walk's; an empty group is refused.
TEST_F(SendListTest, AnEmptyGroupIsRefused) {
  Collection empty;
  EXPECT_TRUE(RaisesError(9, [&] { list_->AddGroupMessage(empty, "Ciao", "Mario"); }));
  EXPECT_EQ(list_->Count(), 0);
}

TEST_F(SendListTest, AFullListRefusesOrSendsItselfFirst) {
  list_->MaxListToSend(2);
  list_->AddMessage("+391110000001", "Uno", "Mario");
  list_->AddMessage("+391110000002", "Due", "Mario");
  EXPECT_TRUE(RaisesError(28378, [&] { list_->AddMessage("+391110000003", "Tre", "Mario"); }));
  EXPECT_EQ(list_->Count(), 2);
  EXPECT_EQ(control_->ErrCode(), 28378);

  list_->AutoSend(VariantBool(true));
  Answer("01 0;A1;\t1;A2;");
  EXPECT_EQ(list_->AddMessage("+391110000003", "Tre", "Mario"), VariantBool(true));
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(CountersOf(*list_), (Counters{1, 0, 0, 1}));
  EXPECT_EQ(Access::ListPosition(*list_->Item(1)), 1);
  auto kept = list_->Item(1);
  EXPECT_EQ(kept->PhoneGsm(), BStr("+391110000003"));
  control_->Terminate();  // the control's end empties the list it handed out
  EXPECT_EQ(list_->Count(), 0);
  EXPECT_EQ(kept->PhoneGsm(), BStr("+391110000003"));
  EXPECT_EQ(control_->MessagesToSend(), nullptr);
}

TEST_F(SendListTest, AnAutomaticSendWithNothingToSendAddsNothing) {
  list_->MaxListToSend(1);
  list_->AutoSend(VariantBool(true));
  list_->AddMessage("+12", "Uno", "Mario");  // an error: nothing to send
  EXPECT_EQ(list_->AddMessage("+391110000002", "Due", "Mario"), VariantBool(false));
  EXPECT_EQ(list_->Count(), 1);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(SendListTest, TheCapacityTakesOneToThreeThousandAndEmptiesTheList) {
  for (int i = 0; i < 5; ++i)
    list_->AddMessage("+39111000000" + std::to_string(i), "x", "Mario");
  for (std::int16_t bad : {0, 3001, -1}) {
    EXPECT_TRUE(RaisesError(28378, [&] { list_->MaxListToSend(bad); })) << bad;
    EXPECT_EQ(list_->MaxListToSend(), 3000);
    EXPECT_EQ(list_->Count(), 5);
  }
  list_->MaxListToSend(10);
  EXPECT_EQ(list_->MaxListToSend(), 10);
  EXPECT_EQ(CountersOf(*list_), (Counters{0, 0, 0, 0}));
}

TEST_F(SendListTest, IndexesGiveWhatTheWalkGives) {
  // Small pools so that groups, repeats and joined-key look-alikes are frequent.
  const std::vector<std::string> phones = {"+391110000001", "+391110000002", "391110000003", "+12",
                                           "0039 111 0000001"};
  const std::vector<std::pair<std::string, std::string>> senderTexts = {
      {"ABCD", "EF"}, {"ABCDE", "F"}, {"ABCD", "EF"}, {"AB", "x"}, {"Mario", "Ciao {x}"}};
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    auto pick = [&](std::size_t n) {
      return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    list_->Clear();
    WalkedList walked;
    for (int step = 0; step < 250; ++step) {
      const auto& [sender, text] = senderTexts[pick(senderTexts.size())];
      const std::size_t action = pick(10);
      if (action < 6) {
        const std::string& phone = phones[pick(phones.size())];
        list_->AddMessage(phone, text, sender);
        walked.Add(WalkedList::Built(phone, text, sender));
      } else if (action < 8) {
        Collection group;
        const std::size_t size = 1 + pick(4);
        for (std::size_t i = 0; i < size; ++i)
          group.Add(phones[pick(phones.size())]);
        list_->AddGroupMessage(group, text, sender);
        walked.Add(WalkedList::Built(group.Item(1).ToText().utf8(), text, sender));
        for (std::int32_t i = 2; i <= group.Count(); ++i) {
          walked.Add(WalkedList::Built(group.Item(i).ToText().utf8(), text, sender), true);
        }
      } else if (!walked.store.empty()) {
        const int position = 1 + static_cast<int>(pick(walked.store.size()));
        auto message = list_->Item(static_cast<std::int16_t>(position));
        list_->RemoveMessage(message);
        walked.Remove(position);
      }
      ASSERT_EQ(list_->Count(), static_cast<int>(walked.store.size()));
      for (std::size_t i = 0; i < walked.store.size(); ++i) {
        const auto& message = *list_->Item(static_cast<std::int16_t>(i + 1));
        ASSERT_EQ(message.Status(), walked.store[i].status) << "seed " << seed << " step " << step;
        ASSERT_EQ(Access::GroupIndex(Access::Editable(message)), walked.store[i].group);
      }
      ASSERT_EQ(CountersOf(*list_),
                (Counters{static_cast<int>(walked.store.size()), 0, walked.error, walked.toSend}));
    }
  }
}

}  // namespace
}  // namespace orvulink
