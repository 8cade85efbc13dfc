#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/receive.hpp>

#include "core/control_state.hpp"
#include "receive/access.hpp"
#include "send_support.hpp"

#include <memory>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using testing::CatchAutomationError;
using testing::RaisesError;

const auto Encoded = testing::PercentEncoded;
using testing::Head;
const auto Serial = testing::SerialField;

// A command about one key: the reply query (16) names the key before the serial, the others
// after it.
std::string Keyed(int command, const std::string& key) {
  const std::string field = "&KEY=" + Encoded(key);
  return command == 16 ? Head(16) + field + Serial() : Head(command) + Serial() + field;
}

class Reception : public testing::SignedInTest {
 protected:
  // The user information with `keys` as its key-list field.
  void AnswerUserInfo(const std::string& keys) { Answer("01\tu\tS\t1\tIT\tS\t2\tS\t" + keys); }
  // A key as FillReceptionKeys builds it, without the exchanges.
  static std::shared_ptr<OrvuReceptionKey> MakeKey(const char* text) {
    auto key = receive::Access::NewKey();
    receive::Access::SetKeyReceived(*key, BStr(text).str());
    return key;
  }
};

TEST_F(Reception, FillSendsOneQueryPairPerKeyAndListsThemInOrder) {
  AnswerUserInfo("K1,K2,k1,");  // a key listed twice, in two letter cases, is listed once
  for (const char* answer :
       {"01\nBack on Monday", "01\n3 new", "01\nCiao", "01\n0", "01\nx", "01\n9"})
    Answer(answer);
  EXPECT_EQ(control_->FillReceptionKeys(), VariantBool(true));
  EXPECT_EQ(Sent(), (std::vector<std::string>{Head(7) + Serial(), Keyed(16, "K1"), Keyed(6, "K1"),
                                              Keyed(16, "K2"), Keyed(6, "K2"), Keyed(16, "k1"),
                                              Keyed(6, "k1")}));
  const auto keys = control_->ReceptionKeys();
  ASSERT_TRUE(keys);
  ASSERT_EQ(keys->Count(), 2);
  EXPECT_EQ(keys->Item(1)->KeyReceived(), BStr("K1"));
  EXPECT_EQ(keys->Item(1)->TextAutoResponder(), BStr("Back on Monday"));
  EXPECT_EQ(keys->Item(1)->MessageFromRecive(), 3);
  EXPECT_EQ(keys->Item(2)->TextAutoResponder(), BStr("Ciao"));
  EXPECT_EQ(keys->ItemReceptionKey("k2"), keys->Item(2));
  EXPECT_FALSE(keys->ItemReceptionKey("K9"));
  EXPECT_FALSE(keys->Item(0) || keys->Item(3));
  EXPECT_EQ(BStr(core::ThisThreadState().ReceptionKeyList).utf8(), "K1,K2,k1");
  control_->Terminate();  // the control's end empties the list it handed out
  EXPECT_EQ(keys->Count(), 0);
}

TEST_F(Reception, FillWithoutCredentialsFailsBeforeAnyExchange) {
  control_->Password("");
  EXPECT_TRUE(RaisesError(28375, [&] { control_->FillReceptionKeys(); }));
  EXPECT_EQ(control_->ErrCode(), 28375);
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(control_->ReceptionKeys());
}

TEST_F(Reception, AKeyWhoseRefreshFailsIsListedWithTheValuesItReached) {
  AnswerUserInfo("K1,K2");
  Answer("01\nreply");
  Answer("96");  // the count of K1 fails
  Answer("99");  // the reply of K2 fails: its count is not asked for
  EXPECT_EQ(control_->FillReceptionKeys(), VariantBool(true));
  const auto keys = control_->ReceptionKeys();
  ASSERT_EQ(keys->Count(), 2);
  EXPECT_EQ(keys->Item(1)->TextAutoResponder(), BStr("reply"));
  EXPECT_EQ(keys->Item(1)->MessageFromRecive(), 0);
  EXPECT_EQ(keys->Item(2)->TextAutoResponder(), BStr(""));
  EXPECT_EQ(Sent().size(), 4u);
}

TEST_F(Reception, WaitingCountIsTheLeadingNumberRoundedHalfToEven) {
  const auto key = MakeKey("K1");
  // The rest of the number read is the count fuzz target's.
  for (const auto& [payload, count] : {std::pair{"2.5", 2}, {"1 2 waiting", 12}}) {
    Answer("01\nr");
    Answer(std::string("01\n") + payload);
    EXPECT_EQ(key->Update(), VariantBool(true)) << payload;
    EXPECT_EQ(key->MessageFromRecive(), count) << payload;
  }
  Answer("01\nr");
  Answer("01\n40000");
  EXPECT_TRUE(RaisesError(6, [&] { key->Update(); }));
}

TEST_F(Reception, SetAutoResponderSendsKeyAndTextAndKeepsTheTextGiven) {
  const auto key = MakeKey("K1");
  Answer("01");
  EXPECT_EQ(key->SetAutoResponder("Ciao a tutti"), VariantBool(true));
  EXPECT_EQ(key->TextAutoResponder(), BStr("Ciao a tutti"));
  EXPECT_EQ(Sent().back(), Head(17) + "&KEY=" + Encoded("K1") +
                               "&AUTORESPONDER=" + Encoded("Ciao a tutti") + Serial());

  Answer("93");
  EXPECT_TRUE(RaisesError(28385, [&] { key->SetAutoResponder(""); }));
  EXPECT_EQ(key->TextAutoResponder(), BStr("Ciao a tutti"));
  EXPECT_EQ(Sent().back(), Head(17) + "&KEY=" + Encoded("K1") + "&AUTORESPONDER=" + Serial());
}

constexpr char kTwoMessages[] =
    "2 2006-01-20\t10:15:00\t+39333111\tCiao\x1F"
    "2006-01-20\t10:16:00\t+39333222\tSi";

// Messages count only once the gateway confirms them: an unconfirmed download shows nothing and
// does not refresh the key; test mode marks the download, not its check. The parts are read
// whatever the count says (the incoming fuzz target checks the reading of each part).
TEST_F(Reception, DownloadStoresTheMessagesOnlyOnceConfirmedAndRefreshes) {
  const auto key = MakeKey("K1");
  control_->TestMode(true);  // marks the download, not its check
  Answer(std::string("01\n") + kTwoMessages);
  Answer("89");
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_FALSE(key->ReceivedMessages());
  EXPECT_EQ(control_->ErrCode(), 0);
  EXPECT_EQ(Sent(), (std::vector<std::string>{Keyed(4, "K1") + "&TEST=1", Head(5) + Serial()}));
  control_->TestMode(false);
  http_.script->sentBodies.clear();
  Answer(std::string("01\n") + kTwoMessages);
  Answer("01\n2 confirmed");
  Answer("01\nreply");
  Answer("01\n0");
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_EQ(Sent(), (std::vector<std::string>{Keyed(4, "K1"), Head(5) + Serial(), Keyed(16, "K1"),
                                              Keyed(6, "K1")}));
  const auto messages = key->ReceivedMessages();
  ASSERT_TRUE(messages);
  ASSERT_EQ(messages->Count(), 2);
  EXPECT_EQ(messages->Item(1)->Text(), BStr("Ciao"));
  EXPECT_EQ(messages->Item(2)->PhoneGsm(), BStr("+39333222"));
  EXPECT_EQ(messages->Item(1)->DateTime(), Date::FromParts({2006, 1, 20, 10, 15, 0}));
  EXPECT_FALSE(messages->Item(3));
  EXPECT_EQ(key->TextAutoResponder(), BStr("reply"));
  for (const char* answer : {"01\n0 ", "01", "01\nr", "01\n0"})
    Answer(answer);
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_EQ(key->ReceivedMessages(), messages);  // nothing new keeps the download
}

// A failed refresh or download: the error, the exchanges made, and no messages left on the key.
TEST_F(Reception, UpdateAndDownloadFailures) {
  const std::string two = std::string("01\n") + kTwoMessages;
  const struct {
    const char* name;
    bool download;
    const char* key;
    std::vector<std::string> answers;
    int number;
    std::size_t exchanges;
  } cases[] = {
      {"refresh, empty key", false, "", {"01\nr"}, 28391, 1},
      {"refresh, empty reply", false, "K1", {"01\n"}, 28390, 1},
      {"empty key", true, "", {}, 28391, 0},
      {"count without a space", true, "K1", {"01\n0"}, 13, 1},
      {"count without messages", true, "K1", {"01\n2 "}, 28390, 1},
      {"check answers more than 89", true, "K1", {two, "89 no"}, 28387, 2},
      {"check refused", true, "K1", {two, "97"}, 28377, 2},
  };
  for (const auto& c : cases) {
    const auto key = MakeKey(c.key);
    receive::Access::ReplaceReceivedMessages(*key, receive::Access::NewMessageList());
    const auto held = key->ReceivedMessages();
    receive::Access::Append(*held, receive::Access::NewMessage());
    http_.script->sentBodies.clear();
    for (const auto& answer : c.answers)
      Answer(answer);
    const auto error =
        CatchAutomationError([&] { c.download ? key->GetIncomingMessages() : key->Update(); });
    ASSERT_TRUE(error) << c.name;
    EXPECT_EQ(error->Number(), c.number) << c.name;
    EXPECT_EQ(control_->ErrCode(), c.number) << c.name;
    EXPECT_EQ(Sent().size(), c.exchanges) << c.name;
    if (c.download) {
      EXPECT_FALSE(key->ReceivedMessages()) << c.name;
      EXPECT_EQ(held->Count(), 0) << c.name;
    } else {
      EXPECT_EQ(Sent().at(0), Keyed(16, c.key)) << c.name;
    }
  }
}

}  // namespace
}  // namespace orvulink
