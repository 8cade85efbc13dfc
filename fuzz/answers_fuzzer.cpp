// The gateway's answers and their payloads, whatever the gateway sends. The first byte picks:
//  0 the answer decoder: a "01" answer is accepted, any other raises exactly the error it also
//    leaves in the state;
//  1 a download: one message per part of the list, sender and text as they arrived;
//  2 a status payload applied to a list of order IDs: the list keeps its order IDs and the
//    recipients it named, each recipient is found under its own number, and nothing is left
//    waiting for a verdict once finalised;
//  3 a send command's result list, applied to a list in a command: only the messages in the
//    command change, the counters follow the statuses, and the fast lookup of refused numbers
//    agrees with the plain scan;
//  4 a whole account command (credit, user information, key list, delete, key refresh or
//    download) through an HTTP client that answers the rest of the input as the page (its first
//    byte picks the command and the page's charset): an error is raised with
//    the number ErrCode keeps, keys are found under their own names, a key list splits into
//    pieces that join back into it, and a failed download leaves no messages.
#include "core/control_state.hpp"
#include "fuzz_support.hpp"
#include "gateway/answer.hpp"
#include "notify/access.hpp"
#include "notify/status_query.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"
#include "receive/access.hpp"
#include "receive/incoming_payload.hpp"
#include "receive/key_list.hpp"
#include "send/access.hpp"
#include "send/find_phone.hpp"
#include "send/send_command.hpp"
#include "send/send_list_state.hpp"

#include <orvulink/control.hpp>

#include <cmath>

namespace {

using namespace orvulink;
using fuzz::RaisedNumber;
using fuzz::UnitsFromBytes;

void Answer(const std::uint8_t* data, std::size_t size) {
  const std::u16string answer = UnitsFromBytes(data, size);
  core::ControlState state;
  state.ErrCode = 5;
  state.ErrDescription = u"earlier";
  try {
    gateway::DecodeAnswer(state, answer);
  } catch (const AutomationError& error) {
    ORVULINK_FUZZ_CHECK(!answer.starts_with(u"01"));
    ORVULINK_FUZZ_CHECK(answer.empty() == (error.Number() == ORVULINK_ERROR_NETWORK));
    ORVULINK_FUZZ_CHECK(state.ErrCode == static_cast<std::int16_t>(error.Number()));
    ORVULINK_FUZZ_CHECK(state.ErrDescription == error.Description().str());
    ORVULINK_FUZZ_CHECK(!state.ErrDescription.empty());
    return;
  }
  ORVULINK_FUZZ_CHECK(answer.starts_with(u"01") && state.ErrCode == 5);
  // Success changes the description only through a "<pre>" message, a part of the answer.
  if (state.ErrDescription != u"earlier")
    ORVULINK_FUZZ_CHECK(answer.find(u"<pre>") != std::u16string::npos);
}

void Download(const std::uint8_t* data, std::size_t size) {
  const std::u16string payload = UnitsFromBytes(data, size);
  RaisedNumber([&] { (void)receive::SplitDownloadPayload(payload); });
  const std::size_t space = payload.find(u' ');
  // One message per part of the list, its sender and text as they arrived.
  const std::u16string_view messages =
      std::u16string_view(payload).substr(space == std::u16string::npos ? 0 : space + 1);
  const auto list = receive::ReadMessageList(messages);
  ORVULINK_FUZZ_CHECK(static_cast<std::size_t>(list->Count()) ==
                      platform::Split(messages, u"\x1F").size());
  for (const auto& message : *list) {
    ORVULINK_FUZZ_CHECK(messages.find(message->PhoneGsm().str()) != std::u16string::npos &&
                        messages.find(message->Text().str()) != std::u16string::npos);
  }
}

void Status(const std::uint8_t* data, std::size_t size) {
  const std::u16string payload = UnitsFromBytes(data, size);
  const std::u16string folded = platform::FoldCase(payload);
  const auto list = notify::Access::NewList();
  for (const auto& [orderId, phone] : {std::pair{u"1001", u""},
                                       {u"1002", u"+39333111"},
                                       {u"1003", u"+39333111"},
                                       {u"1003", u"0039333222"},
                                       {u"Ab7", u"abc"}})
    list->AddMessage(BStr(orderId), BStr(phone));
  std::vector<std::int16_t> named;
  for (const auto& orderId : *list)
    named.push_back(orderId->Count());

  const notify::AskedOrderIds asked(notify::Access::State(*list).orderIds);
  const std::int32_t raised = RaisedNumber([&] { notify::ApplyStatusLines(asked, payload); });
  ORVULINK_FUZZ_CHECK(raised == 0 || raised == platform::kErrSubscript);
  ORVULINK_FUZZ_CHECK(list->Count() == static_cast<std::int16_t>(named.size()));
  std::size_t index = 0;
  for (const auto& orderId : *list) {
    // Only a line naming the order ID gives it a verdict.
    if (orderId->Status() != ORVULINK_ORDERID_TOVERIFY)
      ORVULINK_FUZZ_CHECK(folded.find(platform::FoldCase(orderId->OrderID().str())) !=
                          std::u16string::npos);
    const std::int16_t namedCount = named[index++];
    if (namedCount > 0) ORVULINK_FUZZ_CHECK(orderId->Count() == namedCount);
  }
  notify::FinaliseOrderIDs(asked);
  for (const auto& orderId : *list) {
    ORVULINK_FUZZ_CHECK(orderId->Status() != ORVULINK_ORDERID_TOVERIFY);
    for (const auto& recipient : *orderId) {
      ORVULINK_FUZZ_CHECK(recipient->Status() != ORVULINK_STATE_TONOTIFY);
      ORVULINK_FUZZ_CHECK(orderId->ItemPhone(recipient->PhoneGsm()) == recipient);
    }
  }
}

void SendResult(const std::uint8_t* data, std::size_t size) {
  static const auto clock = platform::SetClock(std::make_shared<fuzz::StillClock>());
  const std::u16string resultList = UnitsFromBytes(data, size);
  // Three groups in the command; an invalid number and a duplicate stay out of it.
  auto list = send::Access::NewList();
  list->AddMessage("+391110000001", "Ciao", "Mario");
  list->AddMessage("+391110000002", "Ciao", "Mario");
  list->AddMessage("00391110000003", "Ciao", "Mario");
  list->AddMessage("+391110000004", "Altro", "Mario", Date::FromParts({2030, 5, 6, 7, 8, 0}));
  list->AddMessage("12", "Ciao", "Mario");
  list->AddMessage("+391110000001", "Ciao", "Mario");
  list->AddMessage(" 3911.100005 ", "Terzo", "Luigi");
  send::SendListState& state = send::Access::State(*list);
  send::SendBatch batch = send::ComposeSendData(state);
  std::vector<OrvuLink_StatusMessage> before;
  std::vector<std::u16string> phones;
  for (const auto& message : state.store) {
    before.push_back(message->Status());
    phones.emplace_back(send::Access::PhoneGsm(*message));
  }
  const std::int16_t forwardedBefore = state.countMessageForward;
  const std::int16_t refusedBefore = state.countMessageError;

  const std::int32_t raised =
      RaisedNumber([&] { send::ApplyResultList(state, batch, resultList); });
  ORVULINK_FUZZ_CHECK(raised == 0 || raised == ORVULINK_ERROR_COMMAND);
  std::int16_t forwarded = 0, refused = 0;
  for (std::size_t i = 0; i < state.store.size(); ++i) {
    const OrvuSendMessage& message = *state.store[i];
    const OrvuLink_StatusMessage after = message.Status();
    ORVULINK_FUZZ_CHECK((after == ORVULINK_MESSAGESEND_FORWARD) == (message.OrderID() != nullptr));
    if (before[i] != ORVULINK_MESSAGESEND_INSEND) {
      ORVULINK_FUZZ_CHECK(after == before[i]);
    } else if (after == ORVULINK_MESSAGESEND_ERRGATEWAY) {
      ++refused;  // only a number the answer names can be refused
      ORVULINK_FUZZ_CHECK(resultList.find(phones[i]) != std::u16string::npos);
    } else if (after == ORVULINK_MESSAGESEND_FORWARD) {
      ++forwarded;
      for (const BStr& id : *message.OrderID())
        ORVULINK_FUZZ_CHECK(resultList.find(id.str()) != std::u16string::npos);
    } else {
      ORVULINK_FUZZ_CHECK(after == ORVULINK_MESSAGESEND_INSEND);
    }
  }
  ORVULINK_FUZZ_CHECK(state.countMessageForward - forwardedBefore == forwarded &&
                      state.countMessageError - refusedBefore == refused);

  // The fast lookup of refused numbers and the plain scan agree on every number a record names.
  for (const std::u16string& record : platform::Split(resultList, u"\t")) {
    const std::vector<std::u16string> fields = platform::Split(record, u";");
    if (fields.size() < 3) continue;
    const std::u16string& field = fields[2];
    std::vector<std::u16string> candidates = platform::Split(field, u",");
    candidates.insert(candidates.end(), phones.begin(), phones.end());
    candidates.push_back(field);
    if (field.size() > 1) candidates.push_back(field.substr(1));
    const send::RefusedNumbers refusedNumbers(field);
    for (const std::u16string& phone : candidates)
      ORVULINK_FUZZ_CHECK(refusedNumbers.Contains(phone) == (send::FindPhone(field, phone) != 0));
  }
}

std::u16string page;  // what the gateway answers to any request

struct PageClient : platform::HttpClient {
  void SetProxy(const BStr&) override {}
  void SetProxyUserName(const BStr&) override {}
  void SetProxyPassword(const BStr&) override {}
  void UseTls(bool) override {}
  void SetAddress(const BStr&) override {}
  void Reset() override {}
  void SetTimeout(std::chrono::milliseconds) override {}
  BStr Send(const BStr&) override { return page; }
  BStr StatusText() override { return "OK"; }
  std::int32_t StatusCode() override { return 200; }
};

struct AlwaysOnline : platform::OnlineCheck {
  bool IsOnline() override { return true; }
};

// The pieces of a key list join again into the list as it is left.
void CheckKeyListPieces(std::u16string keyList) {
  const std::u16string given = keyList;
  const std::vector<std::u16string> pieces = receive::TakeKeyListPieces(keyList);
  std::u16string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i)
    joined += (i > 0 ? u"," : u"") + pieces[i];
  ORVULINK_FUZZ_CHECK(keyList == given || keyList + u"," == given);
  ORVULINK_FUZZ_CHECK(joined == keyList || (pieces.empty() && (given.empty() || given == u"NULL")));
}

void Account(const std::uint8_t* data, std::size_t size) {
  static const std::shared_ptr<OrvuLinkActiveX> control = [] {
    platform::SetClock(std::make_shared<fuzz::StillClock>());
    platform::SetOnlineCheck(std::make_shared<AlwaysOnline>());
    platform::SetHttpClientFactory([] { return std::make_unique<PageClient>(); });
    auto created = OrvuLinkActiveX::Create();
    created->AutomaticProxy(false);  // no probe: straight to the client
    created->UserName("mario");
    created->Password("segreto");
    return created;
  }();
  if (size == 0) return;
  const std::string_view body = fuzz::BytesAsText(data + 1, size - 1);
  page = (data[0] & 0x80) != 0 ? platform::Utf8ToUtf16(body) : platform::DecodeCp1252(body);
  core::ControlState& state = core::ThisThreadState();
  state.UserInfoCache.clear();
  auto key = receive::Access::NewKey();
  receive::Access::SetKeyReceived(*key, u"K1");
  const int pick = (data[0] & 0x7F) % 6;
  const auto command = [&] {
    if (pick == 0) ORVULINK_FUZZ_CHECK(std::isfinite(control->GetCredit()));
    if (pick == 1) {
      const std::int16_t server = control->NotifyServer();
      CheckKeyListPieces(state.ReceptionKeyList);
      ORVULINK_FUZZ_CHECK(control->NotifyServer() == server);  // from the cache, the same
    }
    if (pick == 2 && control->FillReceptionKeys().IsTrue()) {
      const auto keys = control->ReceptionKeys();
      for (const auto& each : *keys)
        ORVULINK_FUZZ_CHECK(keys->ItemReceptionKey(each->KeyReceived()) == each);
    }
    if (pick == 3) control->DelMessage("12;34", " 0039333111 ");
    if (pick == 4) key->Update();
    if (pick == 5 && RaisedNumber([&] { key->GetIncomingMessages(); }) != 0) {
      ORVULINK_FUZZ_CHECK(!key->ReceivedMessages() || key->ReceivedMessages()->Count() == 0);
      key->GetIncomingMessages();  // raises again, for the check of ErrCode below
    }
  };
  const std::int32_t raised = RaisedNumber(command);
  if (raised != 0) ORVULINK_FUZZ_CHECK(control->ErrCode() == static_cast<std::int16_t>(raised));
  CheckKeyListPieces(page);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr void (*kChecks[])(const std::uint8_t*, std::size_t) = {Answer, Download, Status,
                                                                          SendResult, Account};
  if (size > 0) kChecks[data[0] % std::size(kChecks)](data + 1, size - 1);
  return 0;
}
