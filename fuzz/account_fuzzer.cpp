// Every command that reads a payload, from the page the gateway sends to the value the host
// sees: the page frame, the result code, the credit, the user information and its key list, the
// waiting count, the automatic reply, a download, a send and a status query. The HTTP client is a
// fake that answers every request with the input page; the first byte picks the command and the
// page's charset.
#include "automation_errors.hpp"
#include "control/account.hpp"
#include "core/control_state.hpp"
#include "fuzz_support.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"
#include "receive/access.hpp"
#include "receive/key_list.hpp"

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/platform.hpp>
#include <orvulink/receive.hpp>
#include <orvulink/send.hpp>

#include <cmath>
#include <unordered_set>

namespace {

using namespace orvulink;

struct StillClock : platform::Clock {
  Date Now() override { return Date::FromParts({2024, 3, 4, 5, 6, 7}); }
  void Sleep(std::chrono::milliseconds) override {}  // the retries of the exchange
};

struct AlwaysOnline : platform::OnlineCheck {
  bool IsOnline() override { return true; }
};

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

OrvuLinkActiveX& SignedInControl() {
  static const std::shared_ptr<OrvuLinkActiveX> control = [] {
    platform::SetClock(std::make_shared<StillClock>());
    platform::SetOnlineCheck(std::make_shared<AlwaysOnline>());
    platform::SetHttpClientFactory([] { return std::make_unique<PageClient>(); });
    auto created = OrvuLinkActiveX::Create();
    created->AutomaticProxy(false);  // no probe: straight to the client
    created->UserName("mario");
    created->Password("segreto");
    return created;
  }();
  return *control;
}

bool KnownError(std::int32_t number) {
  static const std::unordered_set<std::int32_t> known = {
      platform::kErrInvalidCall,  platform::kErrOverflow,        platform::kErrSubscript,
      platform::kErrTypeMismatch, ORVULINK_ERROR_AUTHENTICATION, ORVULINK_ERROR_CGI,
      ORVULINK_ERROR_CREDIT,      ORVULINK_ERROR_NETWORK,        ORVULINK_ERROR_GATEWAY,
      ORVULINK_ERROR_VAPCODE,     ORVULINK_ERROR_AUTORESPONDER,  ORVULINK_ERROR_SENTSMS,
      ORVULINK_ERROR_WRONG,       ORVULINK_ERROR_TEXT_MESSAGE,   ORVULINK_ERROR_COMMAND};
  return known.contains(number);
}

// The key list as the control splits it: the pieces joined again give the list as it is left.
void CheckKeyListPieces(std::u16string keyList) {
  const std::u16string given = keyList;
  const std::vector<std::u16string> pieces = receive::TakeKeyListPieces(keyList);
  if (given.empty() || given == u"NULL") {
    ORVULINK_FUZZ_CHECK(pieces.empty() && keyList == given);
    return;
  }
  std::u16string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i)
    joined += (i > 0 ? u"," : u"") + pieces[i];
  ORVULINK_FUZZ_CHECK(joined == keyList);
  ORVULINK_FUZZ_CHECK(keyList == given || keyList + u"," == given);
}

void Credit(OrvuLinkActiveX& control) {
  const double credit = control.GetCredit();
  ORVULINK_FUZZ_CHECK(std::isfinite(credit));
}

void UserInfo(OrvuLinkActiveX& control) {
  core::ControlState& state = core::ThisThreadState();
  const std::int16_t server = control.NotifyServer();
  ORVULINK_FUZZ_CHECK(server == 0 || server == 1);
  CheckKeyListPieces(state.ReceptionKeyList);
  // Read again from the cache: the same verdict, no second question.
  ORVULINK_FUZZ_CHECK(control.NotifyServer() == server);
}

void FillKeys(OrvuLinkActiveX& control) {
  control.FillReceptionKeys();
  const auto keys = control.ReceptionKeys();
  if (!keys) return;
  for (const auto& key : *keys) {
    ORVULINK_FUZZ_CHECK(keys->ItemReceptionKey(key->KeyReceived()) == key);
  }
}

void Delete(OrvuLinkActiveX& control) {
  const BStr payload = control.DelMessage("12;34", " 0039333111 ");
  ORVULINK_FUZZ_CHECK(!payload.empty());
}

void RefreshKey(OrvuLinkActiveX&) {
  auto key = receive::Access::NewKey();
  receive::Access::SetKeyReceived(*key, u"K1");
  key->Update();
}

void Download(OrvuLinkActiveX&) {
  auto key = receive::Access::NewKey();
  receive::Access::SetKeyReceived(*key, u"K1");
  try {
    key->GetIncomingMessages();
  } catch (const AutomationError&) {
    // A failed download leaves the key without messages.
    ORVULINK_FUZZ_CHECK(key->ReceivedMessages() == nullptr ||
                        key->ReceivedMessages()->Count() == 0);
    throw;
  }
}

// Every counter of a send list matches the statuses it counts, and only an accepted message has
// order IDs.
void CheckSendCounters(const OrvuSendMessages& list) {
  std::int16_t forwarded = 0;
  std::int16_t failed = 0;
  for (const auto& message : list) {
    const OrvuLink_StatusMessage status = message->Status();
    ORVULINK_FUZZ_CHECK((status == ORVULINK_MESSAGESEND_FORWARD) ==
                        (message->OrderID() != nullptr));
    forwarded += status == ORVULINK_MESSAGESEND_FORWARD;
    failed += status < ORVULINK_MESSAGESEND_INCOMPLETE && status != ORVULINK_MESSAGESEND_CANCELLED;
  }
  ORVULINK_FUZZ_CHECK(list.CountMessageForward() == forwarded);
  ORVULINK_FUZZ_CHECK(list.CountMessageError() == failed);
}

// The send command's whole way, the result list read from the answer's page.
void Send(OrvuLinkActiveX& control) {
  const auto list = control.MessagesToSend();
  list->Clear();
  list->AddMessage("+391110000001", "Ciao", "Mario");
  list->AddMessage("+391110000002", "Ciao", "Mario");
  list->AddMessage("+391110000003", "Altro", "Mario", Date::FromParts({2030, 5, 6, 7, 8, 0}));
  list->AddMessage("+391110000001", "Ciao", "Mario");  // a duplicate, never sent
  bool sent = false;
  try {
    sent = list->SendMessage().IsTrue();
  } catch (const AutomationError&) {
    CheckSendCounters(*list);
    throw;
  }
  CheckSendCounters(*list);
  if (sent) ORVULINK_FUZZ_CHECK(list->CountMessageToSend() == 0);
}

// The status query's whole way: an answer that was applied leaves no order ID unjudged.
void Status(OrvuLinkActiveX& control) {
  const auto list = control.MessagesToNotify();
  list->Clear();
  list->AddMessage("1001");
  list->AddMessage("1002", "+39333111");
  list->AddMessage("1003", "+39333111");
  list->AddMessage("1003", "+39333222");
  if (!list->GetStatusNotify().IsTrue()) return;
  for (const auto& orderId : *list) {
    ORVULINK_FUZZ_CHECK(orderId->Status() != ORVULINK_ORDERID_TOVERIFY);
    for (const auto& recipient : *orderId)
      ORVULINK_FUZZ_CHECK(recipient->Status() != ORVULINK_STATE_TONOTIFY);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  OrvuLinkActiveX& control = SignedInControl();
  const std::string_view body = fuzz::BytesAsText(data + 1, size - 1);
  page = (data[0] & 0x80) != 0 ? platform::Utf8ToUtf16(body) : platform::DecodeCp1252(body);
  core::ThisThreadState().UserInfoCache.clear();

  static constexpr void (*kCommands[])(OrvuLinkActiveX&) = {Credit,     UserInfo, FillKeys, Delete,
                                                            RefreshKey, Download, Send,     Status};
  const auto command = kCommands[(data[0] & 0x7F) % std::size(kCommands)];
  const std::int32_t raised = fuzz::RaisedNumber([&] { command(control); });
  if (raised != 0) {
    ORVULINK_FUZZ_CHECK(KnownError(raised));
    ORVULINK_FUZZ_CHECK(control.ErrCode() == static_cast<std::int16_t>(raised));
  }
  // Whatever else the component does with a key list, splitting it must hold together.
  CheckKeyListPieces(page);
  return 0;
}
