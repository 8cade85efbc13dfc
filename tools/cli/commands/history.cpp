// orvulink history: the journal's recent sends, each message with its status and order IDs, and
// what never got an answer.
#include <nlohmann/json.hpp>

#include "commands/commands.hpp"
#include "send_report.hpp"

namespace orvulink::cli {
namespace {

// The journal's word for a message that got no verdict, else the status's name.
std::string StatusText(const JournalMessage& message) {
  if (message.outcome == Outcome::kAnswered) return std::string(StatusName(message.result.status));
  return std::string(OutcomeName(message.outcome));
}

nlohmann::ordered_json SendJson(const SendRecord& send) {
  nlohmann::ordered_json messages = nlohmann::ordered_json::array();
  for (const JournalMessage& message : send.messages) {
    nlohmann::ordered_json entry = MessagesJson({message.result}).at(0);
    entry["PhoneGsm"] =
        message.result.phone.empty() ? message.message.phones.front() : message.result.phone;
    entry["Outcome"] = OutcomeName(message.outcome);
    if (message.outcome != Outcome::kAnswered) {
      entry.erase("Status");
      entry.erase("StatusName");
    }
    messages.push_back(std::move(entry));
  }
  return {{"Send", send.id},
          {"Started", send.started},
          {"Origin", send.origin},
          {"State", send.state},
          {"Messages", std::move(messages)}};
}

std::vector<std::vector<std::string>> Rows(const std::vector<SendRecord>& sends) {
  std::vector<std::vector<std::string>> rows;
  for (const SendRecord& send : sends) {
    for (const JournalMessage& message : send.messages) {
      rows.push_back({std::to_string(send.id), send.started, message.message.phones.front(),
                      StatusText(message), JoinedIds(message.result.order_ids)});
    }
  }
  return rows;
}

}  // namespace

void AddHistoryCommand(CLI::App& app, CommandConfig& chosen) {
  auto* history = app.add_subcommand(
      "history", "Show the recent sends from the local journal, with their statuses");
  auto options = std::make_shared<HistoryConfig>();
  history->add_option("--limit", options->limit, "How many sends, the newest first")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  history->callback([&chosen, options] { chosen = *options; });
}

int Run(const HistoryConfig& config, Session& session) {
  const auto sends = session.journal().RecentSends(config.limit);
  if (session.output().json()) {
    nlohmann::ordered_json document = nlohmann::ordered_json::array();
    for (const SendRecord& send : sends)
      document.push_back(SendJson(send));
    session.output().Json(document);
    return kExitOk;
  }
  session.output().Table({"Send", "Started", "PhoneGsm", "Status", "OrderID"}, Rows(sends));
  return kExitOk;
}

}  // namespace orvulink::cli
