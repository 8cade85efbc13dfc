// The send command's result list, applied to a list whose messages are in a command (INSEND):
// only those may change, each to FORWARD or ERRGATEWAY, the counters follow the statuses, and
// the fast lookup of refused numbers gives the verdict of the plain scan.
#include "automation_errors.hpp"
#include "core/control_state.hpp"
#include "fuzz_support.hpp"
#include "platform/text.hpp"
#include "send/access.hpp"
#include "send/find_phone.hpp"
#include "send/send_command.hpp"
#include "send/send_list_state.hpp"

#include <orvulink/platform.hpp>
#include <orvulink/send.hpp>

#include <unordered_set>
#include <vector>

namespace {

using namespace orvulink;
using orvulink::fuzz::UnitsFromBytes;
using send::Access;

struct StillClock : platform::Clock {
  Date Now() override { return Date::FromParts({2024, 2, 3, 4, 5, 6}); }
  void Sleep(std::chrono::milliseconds) override {}
};

// Three groups in the command; a message with an invalid number and a duplicate stay out of it.
std::shared_ptr<OrvuSendMessages> ListInCommand(send::SendBatch& batch) {
  auto list = Access::NewList();
  list->AddMessage("+391110000001", "Ciao", "Mario");
  list->AddMessage("+391110000002", "Ciao", "Mario");
  list->AddMessage("00391110000003", "Ciao", "Mario");
  list->AddMessage("+391110000004", "Altro", "Mario", Date::FromParts({2030, 5, 6, 7, 8, 0}));
  list->AddMessage("12", "Ciao", "Mario");
  list->AddMessage("+391110000001", "Ciao", "Mario");
  list->AddMessage(" 3911.100005 ", "Terzo", "Luigi");
  batch = send::ComposeSendData(Access::State(*list));
  return list;
}

// The fast lookup and the plain scan must agree for every number a record could name.
void CheckRefusedLookup(std::u16string_view refusedField,
                        const std::vector<std::u16string>& listPhones) {
  const send::RefusedNumbers refused(refusedField);
  std::vector<std::u16string> phones = listPhones;
  for (const std::u16string& piece : platform::Split(refusedField, u","))
    phones.push_back(piece);
  phones.emplace_back(refusedField);
  if (refusedField.size() > 1) phones.emplace_back(refusedField.substr(1));
  for (const std::u16string& phone : phones) {
    ORVULINK_FUZZ_CHECK(refused.Contains(phone) == (send::FindPhone(refusedField, phone) != 0));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto clock = platform::SetClock(std::make_shared<StillClock>());
  const std::u16string resultList = UnitsFromBytes(data, size);

  send::SendBatch batch;
  auto list = ListInCommand(batch);
  send::SendListState& state = Access::State(*list);
  std::vector<OrvuLink_StatusMessage> before;
  std::vector<std::u16string> phones;
  for (const auto& message : state.store) {
    before.push_back(message->Status());
    phones.push_back(Access::PhoneGsm(*message));
  }
  ORVULINK_FUZZ_CHECK(before[0] == ORVULINK_MESSAGESEND_INSEND);
  // The list counted its refusals already (the invalid number and the duplicate).
  const std::int16_t forwardedBefore = state.countMessageForward;
  const std::int16_t refusedBefore = state.countMessageError;

  const std::int32_t raised =
      fuzz::RaisedNumber([&] { send::ApplyResultList(state, batch, resultList); });
  ORVULINK_FUZZ_CHECK(raised == 0 || raised == ORVULINK_ERROR_COMMAND);

  std::int16_t forwarded = 0;
  std::int16_t refused = 0;
  for (std::size_t i = 0; i < state.store.size(); ++i) {
    OrvuSendMessage& message = *state.store[i];
    const OrvuLink_StatusMessage after = message.Status();
    if (before[i] != ORVULINK_MESSAGESEND_INSEND) {
      ORVULINK_FUZZ_CHECK(after == before[i]);
      ORVULINK_FUZZ_CHECK(message.OrderID() == nullptr);
      continue;
    }
    ORVULINK_FUZZ_CHECK(after == ORVULINK_MESSAGESEND_INSEND ||
                        after == ORVULINK_MESSAGESEND_FORWARD ||
                        after == ORVULINK_MESSAGESEND_ERRGATEWAY);
    ORVULINK_FUZZ_CHECK((after == ORVULINK_MESSAGESEND_FORWARD) == (message.OrderID() != nullptr));
    if (after == ORVULINK_MESSAGESEND_ERRGATEWAY) {
      ++refused;
      // Only a number the answer names can be refused.
      ORVULINK_FUZZ_CHECK(resultList.find(phones[i]) != std::u16string::npos);
    }
    if (after == ORVULINK_MESSAGESEND_FORWARD) {
      ++forwarded;
      const auto ids = message.OrderID();
      ORVULINK_FUZZ_CHECK(ids->Count() >= 0);
      std::unordered_set<std::u16string> folded;
      for (const BStr& id : *ids) {
        ORVULINK_FUZZ_CHECK(folded.insert(platform::FoldCase(id.str())).second);
        ORVULINK_FUZZ_CHECK(resultList.find(id.str()) != std::u16string::npos);
      }
      ORVULINK_FUZZ_CHECK(static_cast<std::size_t>(ids->Count()) == folded.size());
    }
  }
  ORVULINK_FUZZ_CHECK(state.countMessageForward - forwardedBefore == forwarded);
  ORVULINK_FUZZ_CHECK(state.countMessageError - refusedBefore == refused);

  for (const std::u16string& record : platform::Split(resultList, u"\t")) {
    const std::vector<std::u16string> fields = platform::Split(record, u";");
    if (fields.size() >= 3) CheckRefusedLookup(fields[2], phones);
  }
  return 0;
}
