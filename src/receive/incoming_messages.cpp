// GetIncomingMessages: download the key's new messages (command 4), confirm the download
// (command 5), then refresh the key. Any failure leaves the key without messages, so that a
// host never works on a download the gateway did not confirm.
#include <orvulink/receive.hpp>

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "gateway/answer.hpp"
#include "gateway/command_exchange.hpp"
#include "gateway/exchange_form.hpp"
#include "receive/access.hpp"
#include "receive/incoming_payload.hpp"
#include "receive/key_commands.hpp"

#include <string>
#include <string_view>

namespace orvulink {
namespace {

using core::ControlState;
using receive::Access;

// The whole answer text of the check, before any decoding: the gateway kept the messages and
// will offer them again.
constexpr std::u16string_view kDownloadNotConfirmed = u"89";

void ConfirmDownload(ControlState& state, OrvuReceptionKey& key) {
  const std::u16string answer =
      gateway::ThisThreadExchangeForm().getUrl(receive::DownloadCheck(state).str());
  if (answer == kDownloadNotConfirmed) {
    Access::DropReceivedMessages(key);
    return;
  }
  gateway::DecodeAnswer(state, answer);
  // The download stands even when the refresh fails; the refresh reports through ErrCode.
  core::Suppressed([&] { key.Update(); });
}

void DownloadIncoming(ControlState& state, OrvuReceptionKey& key) {
  core::ResetErrorState(state);
  const std::u16string& keyText = Access::KeyText(key);
  if (keyText.empty()) core::RaiseNumbered(state, ORVULINK_EVENT_KEYRECIVE_REQUEST);
  const std::u16string payload =
      gateway::ExchangeForPayload(state, receive::IncomingDownload(state, keyText));
  const receive::DownloadPayload download = receive::SplitDownloadPayload(payload);
  // Nothing new keeps the previous download in place.
  if (download.count >= 1) {
    if (download.messages.empty()) core::RaiseNumbered(state, ORVULINK_ERROR_COMMAND);
    Access::ReplaceReceivedMessages(key, receive::ReadMessageList(download.messages));
  }
  ConfirmDownload(state, key);
}

}  // namespace

VariantBool OrvuReceptionKey::GetIncomingMessages() {
  CheckThread();
  auto& state = core::ThisThreadState();
  // A refused start leaves the key's earlier download alone.
  const platform::CommandScope inProgress = core::EnterCommand(state);
  const auto keepAlive = weak_from_this().lock();
  try {
    DownloadIncoming(state, *this);
    return VariantBool(true);
  } catch (...) {
    core::Suppressed([&] { Access::DropReceivedMessages(*this); });
    core::RelayError(state);
  }
}

}  // namespace orvulink
