// The status query's payload applied to a list of order IDs: the list keeps its order IDs, an
// order ID that follows named recipients keeps exactly those, every recipient stays reachable
// under its own number, and after finalising nothing is left waiting for a verdict.
#include "automation_errors.hpp"
#include "fuzz_support.hpp"
#include "notify/access.hpp"
#include "notify/status_query.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <orvulink/platform.hpp>

#include <vector>

namespace {

using namespace orvulink;
using fuzz::UnitsFromBytes;
using notify::Access;

struct StillClock : platform::Clock {
  Date Now() override { return Date::FromParts({2024, 3, 4, 5, 6, 7}); }
  void Sleep(std::chrono::milliseconds) override {}
};

std::shared_ptr<OrvuNotifiedMessages> ListToQuery() {
  auto list = Access::NewList();
  list->AddMessage("1001");
  list->AddMessage("1002", "+39333111");
  list->AddMessage("1003", "+39333111");
  list->AddMessage("1003", "0039333222");
  list->AddMessage("Ab7", "abc");
  return list;
}

void CheckRecipientsReachable(const OrvuNotifiedOrderID& orderId) {
  for (const auto& recipient : orderId) {
    ORVULINK_FUZZ_CHECK(recipient != nullptr);
    ORVULINK_FUZZ_CHECK(orderId.ItemPhone(recipient->PhoneGsm()) == recipient);
  }
}

void CheckList(std::u16string_view payload) {
  auto list = ListToQuery();
  notify::NotifyListState& state = Access::State(*list);
  std::vector<std::int16_t> namedCounts;
  for (const auto& orderId : *list)
    namedCounts.push_back(orderId->Count());

  const std::int32_t raised =
      fuzz::RaisedNumber([&] { notify::ApplyStatusLines(state.orderIds, payload); });
  ORVULINK_FUZZ_CHECK(raised == 0 || raised == platform::kErrSubscript);
  const std::u16string foldedPayload = platform::FoldCase(payload);

  ORVULINK_FUZZ_CHECK(list->Count() == static_cast<std::int16_t>(namedCounts.size()));
  std::size_t index = 0;
  for (const auto& orderId : *list) {
    if (orderId->Status() != ORVULINK_ORDERID_TOVERIFY) {
      // Only a line naming the order ID gives it a verdict.
      ORVULINK_FUZZ_CHECK(foldedPayload.find(platform::FoldCase(orderId->OrderID().str())) !=
                          std::u16string::npos);
    }
    if (namedCounts[index] > 0) ORVULINK_FUZZ_CHECK(orderId->Count() == namedCounts[index]);
    if (orderId->Count() > 0) ORVULINK_FUZZ_CHECK(orderId->NewEnum() != nullptr);
    CheckRecipientsReachable(*orderId);
    ++index;
  }

  notify::FinaliseOrderIDs(state.orderIds);
  for (const auto& orderId : *list) {
    ORVULINK_FUZZ_CHECK(orderId->Status() != ORVULINK_ORDERID_TOVERIFY);
    for (const auto& recipient : *orderId)
      ORVULINK_FUZZ_CHECK(recipient->Status() != ORVULINK_STATE_TONOTIFY);
  }
}

// The whole input as one entry, for an order ID that follows every recipient and for one that
// names its own.
void CheckEntry(std::u16string_view entry) {
  auto list = ListToQuery();
  for (const char* id : {"1001", "1003"}) {
    auto orderId = list->ItemOrderID(id);
    const std::int16_t before = orderId->Count();
    notify::ApplyStatusEntry(*orderId, entry);
    if (before > 0) {
      ORVULINK_FUZZ_CHECK(orderId->Count() == before);
    } else {
      ORVULINK_FUZZ_CHECK(orderId->Count() <= 1);
    }
    CheckRecipientsReachable(*orderId);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto clock = platform::SetClock(std::make_shared<StillClock>());
  const std::u16string payload = UnitsFromBytes(data, size);
  CheckList(payload);
  CheckEntry(payload);
  return 0;
}
