// orvulink receive KEY: downloads the new messages of one reception key and prints them.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "commands/commands.hpp"
#include "reception_keys.hpp"

namespace orvulink::cli {
namespace {

std::vector<OrvuReceivedMessages::MessagePtr> Downloaded(OrvuReceptionKey& key) {
  key.GetIncomingMessages();
  // None when nothing was new or the gateway did not confirm the download.
  const auto list = key.ReceivedMessages();
  if (!list) return {};
  return {list->begin(), list->end()};
}

nlohmann::ordered_json MessagesJson(const std::vector<OrvuReceivedMessages::MessagePtr>& list) {
  nlohmann::ordered_json messages = nlohmann::ordered_json::array();
  for (const auto& message : list) {
    messages.push_back({{"DateTime", message->DateTime().FormatGeneral()},
                        {"PhoneGsm", message->PhoneGsm().utf8()},
                        {"Text", message->Text().utf8()}});
  }
  return messages;
}

// The gateway forgets what it confirmed: the journal keeps it before anything is printed, so a
// failed print loses nothing (orvulink inbox shows it again).
void Keep(Journal& journal, const std::string& key,
          const std::vector<OrvuReceivedMessages::MessagePtr>& messages) {
  std::vector<ReceivedRecord> records;
  for (const auto& message : messages)
    records.push_back(
        {key, message->DateTime(), message->PhoneGsm().utf8(), message->Text().utf8(), {}});
  journal.StoreReceived(records);
}

}  // namespace

void AddReceiveCommand(CLI::App& app, CommandConfig& chosen) {
  auto* receive = app.add_subcommand("receive", "Download the new messages of a reception key");
  auto options = std::make_shared<ReceiveConfig>();
  receive->add_option("KEY", options->key, "Reception key (see orvulink keys)")->required();
  receive->callback([&chosen, options] { chosen = *options; });
}

int Run(const ReceiveConfig& config, Session& session) {
  Journal& journal = session.journal();
  const auto key = ReceptionKeyNamed(session.Control(), config.key);
  const auto messages = Downloaded(*key);
  Keep(journal, key->KeyReceived().utf8(), messages);
  if (session.output().json()) {
    session.output().Json(
        {{"KeyReceived", key->KeyReceived().utf8()}, {"ReceivedMessages", MessagesJson(messages)}});
    return kExitOk;
  }
  if (messages.empty()) {
    session.diagnostics() << "no new messages on " << key->KeyReceived().utf8() << '\n';
    return kExitOk;
  }
  std::vector<std::vector<std::string>> rows;
  for (const auto& message : messages) {
    rows.push_back(
        {message->DateTime().FormatGeneral(), message->PhoneGsm().utf8(), message->Text().utf8()});
  }
  session.output().Table({"Time", "Sender", "Text"}, rows);
  return kExitOk;
}

}  // namespace orvulink::cli
