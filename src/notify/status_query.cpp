#include "notify/status_query.hpp"

#include <orvulink/platform.hpp>

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/answer.hpp"
#include "gateway/command.hpp"
#include "gateway/exchange_form.hpp"
#include "notify/access.hpp"
#include "platform/pump.hpp"
#include "platform/reentry.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

namespace orvulink::notify {
namespace {

// Shorter query text cannot name an order ID.
constexpr std::size_t kShortestQuery = 3;

bool Reported(std::u16string_view entries) {
  return !entries.empty() && entries != u"NULL";
}

// «order ID TAB entries»; a further tab ends the entries.
void ApplyStatusLine(const AskedOrderIds& asked, std::u16string_view line) {
  constexpr auto npos = std::u16string_view::npos;
  if (line.empty()) platform::RaiseRuntimeError(platform::kErrSubscript);
  const std::size_t tab = platform::FindUnit(line, u'\t');
  OrvuNotifiedOrderID* const orderId = asked.Find(line.substr(0, tab));
  if (!orderId) return;
  if (tab == npos) platform::RaiseRuntimeError(platform::kErrSubscript);
  const std::size_t nextTab = platform::FindUnit(line, u'\t', tab + 1);
  const std::u16string_view entries =
      line.substr(tab + 1, nextTab == npos ? npos : nextTab - tab - 1);
  const bool reported = Reported(entries);
  Access::Status(*orderId) = reported ? ORVULINK_ORDERID_CORRECTED : ORVULINK_ORDERID_NOTCORRECTED;
  if (!reported) return;
  platform::ForEachPiece(entries, u";",
                         [&](std::u16string_view entry) { ApplyStatusEntry(*orderId, entry); });
}

}  // namespace

OrvuNotifiedOrderID* AskedOrderIds::Find(std::u16string_view orderId) const {
  if (next_ < entries_.size() &&
      platform::EqualFolded(Access::OrderID(*entries_[next_]), orderId)) {
    return entries_[next_++].get();
  }
  if (positions_.empty()) {
    for (std::size_t i = 0; i < entries_.size(); ++i)
      positions_.try_emplace(platform::FoldCase(Access::OrderID(*entries_[i])), i);
  }
  const auto found = positions_.find(platform::FoldCase(orderId));
  if (found == positions_.end()) return nullptr;
  next_ = found->second + 1;
  return entries_[found->second].get();
}

std::u16string QueryText(const NotifyListState& state) {
  std::u16string query;
  for (const auto& orderId : state.orderIds.Entries()) {
    if (orderId->Status() != ORVULINK_ORDERID_TOVERIFY) continue;
    query += Access::OrderID(*orderId);
    query += u':';
    // One named recipient is asked for alone; otherwise the order's every recipient is.
    RecipientList& recipients = Access::Recipients(*orderId);
    if (recipients.Count() == 1) query += Access::PhoneGsm(*recipients.At(1));
    query += u';';
  }
  return query;
}

void ApplyStatusLines(const AskedOrderIds& asked, std::u16string_view payload) {
  platform::ForEachPiece(payload, u"\r\n",
                         [&](std::u16string_view line) { ApplyStatusLine(asked, line); });
}

void FinaliseOrderIDs(const AskedOrderIds& asked) {
  for (const auto& orderId : asked.Entries()) {
    OrvuLink_StateOrederID& status = Access::Status(*orderId);
    if (status != ORVULINK_ORDERID_CORRECTED) status = ORVULINK_ORDERID_NOTCORRECTED;
    for (const auto& recipient : Access::Recipients(*orderId).Entries()) {
      OrvuLink_StateNotify& delivery = Access::Status(*recipient);
      if (delivery == ORVULINK_STATE_TONOTIFY) delivery = ORVULINK_STATE_ERRGATEWAY;
    }
  }
}

bool QueryStatus(OrvuNotifiedMessages& list) {
  core::ControlState& control = core::ThisThreadState();
  const platform::CommandScope inProgress;
  core::ResetErrorState(control);
  // The host may drop its last reference to the list from an event handler.
  const auto keepAlive = list.weak_from_this().lock();
  platform::RaiseProgress(list.ProgresNotify, ORVULINK_PROGRESS_COMPOSEREQUEST);
  NotifyListState& state = Access::State(list);
  if (!state.orderIds.Exists()) return false;
  std::u16string query = QueryText(state);
  if (query.size() < kShortestQuery) return false;
  query.pop_back();
  // The answer belongs to the order IDs as they were asked about, whatever the host does to the
  // list while the command is in flight; order IDs it adds meanwhile wait for the next query.
  const AskedOrderIds asked(state.orderIds);
  gateway::CommandString command(gateway::GatewayCommand::kStatus, control);
  command.Field(u"QUERYDATA", query).Serial();
  platform::RaiseProgress(list.ProgresNotify, ORVULINK_PROGRESS_REQUEST);
  const std::u16string answer = gateway::ThisThreadExchangeForm().getUrl(command.str());
  platform::PumpIgnoringHostErrors();
  gateway::DecodeAnswer(control, answer);
  const std::u16string_view payload = gateway::PayloadView(answer);
  if (payload.empty() || platform::EqualFolded(payload, u"NULL")) {
    core::RaiseNumbered(control, ORVULINK_ERROR_COMMAND);
  }
  platform::RaiseProgressAfterAnswer(list.ProgresNotify, ORVULINK_PROGRESS_SAVERESPOSE);
  ApplyStatusLines(asked, payload);
  FinaliseOrderIDs(asked);
  platform::RaiseProgressAfterAnswer(list.ProgresNotify, ORVULINK_PROGRESS_FINISH);
  return true;
}

}  // namespace orvulink::notify
