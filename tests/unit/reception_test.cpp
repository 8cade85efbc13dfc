#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/receive.hpp>

#include "core/control_state.hpp"
#include "receive/access.hpp"
#include "receive/key_list.hpp"
#include "send_support.hpp"

#include <memory>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using testing::CatchAutomationError;
using testing::HttpScript;
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

TEST(ReceptionKeyList, PiecesOfTheKeyListText) {
  const struct {
    const char* text;
    std::vector<std::u16string> pieces;
    const char* left;  // the text as the split leaves it
  } cases[] = {
      {"K1,K2,", {u"K1", u"K2"}, "K1,K2"},
      {"K1,,K2", {u"K1", u"", u"K2"}, "K1,,K2"},
      {"NULL", {}, "NULL"},
      {"null", {u"null"}, "null"},
  };
  for (const auto& c : cases) {
    std::u16string text = BStr(c.text).str();
    EXPECT_EQ(receive::TakeKeyListPieces(text), c.pieces) << c.text;
    EXPECT_EQ(BStr(text).utf8(), c.left) << c.text;
  }
}

TEST_F(Reception, FillSendsOneQueryPairPerKeyAndListsThemInOrder) {
  AnswerUserInfo("K1,K2,");
  Answer("01\nBack on Monday");
  Answer("01\n3 new");
  Answer("01\nCiao");
  Answer("01\n0");
  EXPECT_EQ(control_->FillReceptionKeys(), VariantBool(true));

  EXPECT_EQ(Sent(), (std::vector<std::string>{Head(7) + Serial(), Keyed(16, "K1"), Keyed(6, "K1"),
                                              Keyed(16, "K2"), Keyed(6, "K2")}));
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
  EXPECT_EQ(BStr(core::ThisThreadState().ReceptionKeyList).utf8(), "K1,K2");
}

TEST_F(Reception, FillWithoutCredentialsFailsBeforeAnyExchange) {
  control_->Password("");
  EXPECT_TRUE(RaisesError(28375, [&] { control_->FillReceptionKeys(); }));
  EXPECT_EQ(control_->ErrCode(), 28375);
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(control_->ReceptionKeys());
}

TEST_F(Reception, RefillReplacesTheListAndEmptiesTheOldOne) {
  AnswerUserInfo("NULL");
  control_->FillReceptionKeys();
  const auto first = control_->ReceptionKeys();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Count(), 0);

  // The cached user information now lists one key twice, in two letter cases.
  core::ThisThreadState().UserInfoCache = u"u\tS\t1\tIT\tS\t2\tS\tK1,k1";
  for (int i = 0; i < 2; ++i) {
    Answer("01\nr");
    Answer("01\n1");
  }
  control_->FillReceptionKeys();
  const auto second = control_->ReceptionKeys();
  ASSERT_NE(second, first);
  ASSERT_EQ(second->Count(), 1);
  EXPECT_EQ(second->Item(1)->KeyReceived(), BStr("K1"));
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
  const struct {
    const char* payload;
    std::int16_t count;
  } cases[] = {{"3", 3}, {"2.5", 2}, {"3.5", 4}, {"none", 0}, {"1 2 waiting", 12}, {"-4", -4}};
  const auto key = MakeKey("K1");
  for (const auto& c : cases) {
    Answer("01\nr");
    Answer(std::string("01\n") + c.payload);
    EXPECT_EQ(key->Update(), VariantBool(true)) << c.payload;
    EXPECT_EQ(key->MessageFromRecive(), c.count) << c.payload;
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

TEST_F(Reception, DownloadStoresTheMessagesConfirmsAndRefreshes) {
  const auto key = MakeKey("K1");
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
}

TEST_F(Reception, MessagesAreReadPartByPart) {
  const struct {
    const char* name;
    std::string list;
    std::vector<std::vector<std::string>> messages;  // date, sender, text
  } cases[] = {
      {"count above the parts",
       "5 a\tb\t+1\tx\x1F"
       "2006-01-20\t10:15\t+2\ty",
       {{"1899-12-30 00:00:00", "+1", "x"}, {"2006-01-20 10:15:00", "+2", "y"}}},
      {"text stops at a TAB",
       "1 2006-01-20\t10:15:00\t+1\tbefore\tafter",
       {{"2006-01-20 10:15:00", "+1", "before"}}},
      {"empty last part",
       "1 2006-01-20\t10:15:00\t+1\tx\x1F",
       {{"2006-01-20 10:15:00", "+1", "x"}, {"1899-12-30 00:00:00", "", ""}}},
  };
  for (const auto& c : cases) {
    const auto key = MakeKey("K1");
    Answer("01\n" + c.list);
    Answer("89");
    Answer("01\n" + c.list);  // once more, now confirmed
    Answer("01");
    Answer("01\nr");
    Answer("01\n0");
    http_.script->sentBodies.clear();
    // Unconfirmed: no messages, no refresh of the key, and no error.
    EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true)) << c.name;
    EXPECT_FALSE(key->ReceivedMessages()) << c.name;
    EXPECT_EQ(Sent().size(), 2u) << c.name;
    EXPECT_EQ(control_->ErrCode(), 0) << c.name;
    key->GetIncomingMessages();
    const auto messages = key->ReceivedMessages();
    ASSERT_TRUE(messages) << c.name;
    std::vector<std::vector<std::string>> read;
    for (const auto& message : *messages) {
      read.push_back({message->DateTime().FormatGeneral(), message->PhoneGsm().utf8(),
                      message->Text().utf8()});
    }
    EXPECT_EQ(read, c.messages) << c.name;
  }
}

TEST_F(Reception, NothingNewKeepsThePreviousDownload) {
  const auto key = MakeKey("K1");
  for (const char* answer : {"01\n1 2006-01-20\t10:15:00\t+1\tx", "01", "01\nr", "01\n1"})
    Answer(answer);
  key->GetIncomingMessages();
  const auto previous = key->ReceivedMessages();
  ASSERT_TRUE(previous);
  for (const char* answer : {"01\n0 ", "01", "01\nr", "01\n0"})
    Answer(answer);
  EXPECT_EQ(key->GetIncomingMessages(), VariantBool(true));
  EXPECT_EQ(key->ReceivedMessages(), previous);
  EXPECT_EQ(previous->Count(), 1);
  EXPECT_EQ(Sent().size(), 8u);
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
      {"refresh, empty key: the reply is read, then the count refused",
       false,
       "",
       {"01\nr"},
       28391,
       1},
      {"refresh, empty reply", false, "K1", {"01\n"}, 28390, 1},
      {"refresh, empty count", false, "K1", {"01\nr", "01"}, 28390, 2},
      {"refresh, gateway error", false, "K1", {"98"}, 28376, 1},
      {"empty key", true, "", {}, 28391, 0},
      {"count without a space", true, "K1", {"01\n0"}, 13, 1},
      {"count without messages", true, "K1", {"01\n2 "}, 28390, 1},
      {"empty payload", true, "K1", {"01"}, 28390, 1},
      {"gateway error", true, "K1", {"96"}, 28383, 1},
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

TEST_F(Reception, TestModeMarksTheDownloadButNotItsCheck) {
  control_->TestMode(true);
  const auto key = MakeKey("K1");
  Answer("01\n0 ");
  Answer("89");
  key->GetIncomingMessages();
  EXPECT_EQ(Sent(), (std::vector<std::string>{Keyed(4, "K1") + "&TEST=1", Head(5) + Serial()}));
}

TEST_F(Reception, ControlEndEmptiesTheListAndANewControlDropsIt) {
  AnswerUserInfo("K1");
  Answer("01\nr");
  Answer("01\n2");
  control_->FillReceptionKeys();
  const auto held = control_->ReceptionKeys();
  auto second = OrvuLinkActiveX::Create();
  EXPECT_FALSE(second->ReceptionKeys());
  EXPECT_EQ(held->Count(), 1);  // dropped, not emptied

  core::ThisThreadState().ReceptionKeys = held;
  second->Terminate();
  EXPECT_FALSE(control_->ReceptionKeys());
  EXPECT_EQ(held->Count(), 0);
  EXPECT_EQ(held->Item(1), nullptr);
}

}  // namespace
}  // namespace orvulink
