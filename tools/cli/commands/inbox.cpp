// orvulink inbox: the messages downloaded so far, from the local journal; nothing the gateway
// handed over is lost when printing it failed.
#include <nlohmann/json.hpp>

#include "commands/commands.hpp"

namespace orvulink::cli {

void AddInboxCommand(CLI::App& app, CommandConfig& chosen) {
  auto* inbox = app.add_subcommand("inbox", "Show the received messages kept in the local journal");
  auto options = std::make_shared<InboxConfig>();
  inbox->add_option("--key", options->key, "Only the messages of this reception key")
      ->type_name("KEY");
  inbox->add_option("--limit", options->limit, "How many messages, the newest")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  inbox->callback([&chosen, options] { chosen = *options; });
}

int Run(const InboxConfig& config, Session& session) {
  const auto messages = session.journal().Inbox(config.limit, config.key);
  if (session.output().json()) {
    nlohmann::ordered_json document = nlohmann::ordered_json::array();
    for (const ReceivedRecord& message : messages) {
      document.push_back({{"KeyReceived", message.key},
                          {"DateTime", message.sent.FormatGeneral()},
                          {"PhoneGsm", message.sender},
                          {"Text", message.text},
                          {"Downloaded", message.downloaded}});
    }
    session.output().Json(document);
    return kExitOk;
  }
  std::vector<std::vector<std::string>> rows;
  for (const ReceivedRecord& message : messages)
    rows.push_back({message.key, message.sent.FormatGeneral(), message.sender, message.text});
  session.output().Table({"Key", "Time", "Sender", "Text"}, rows);
  return kExitOk;
}

}  // namespace orvulink::cli
