// orvulink keys: the account's reception keys, each with its automatic reply and the number
// of messages waiting on it.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "commands/commands.hpp"
#include "reception_keys.hpp"

namespace orvulink::cli {

void AddKeysCommand(CLI::App& app, CommandConfig& chosen) {
  auto* keys = app.add_subcommand("keys", "List the reception keys and their waiting messages");
  keys->callback([&chosen] { chosen = KeysConfig{}; });
}

int Run(const KeysConfig&, Session& session) {
  const auto keys = FilledReceptionKeys(session.Control());
  if (session.output().json()) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& key : *keys) {
      list.push_back({{"KeyReceived", key->KeyReceived().utf8()},
                      {"TextAutoResponder", key->TextAutoResponder().utf8()},
                      {"MessageFromRecive", key->MessageFromRecive()}});
    }
    session.output().Json({{"ReceptionKeys", list}});
    return kExitOk;
  }
  std::vector<std::vector<std::string>> rows;
  for (const auto& key : *keys) {
    rows.push_back({key->KeyReceived().utf8(), key->TextAutoResponder().utf8(),
                    std::to_string(key->MessageFromRecive())});
  }
  session.output().Table({"Key", "Automatic reply", "Waiting"}, rows);
  return kExitOk;
}

}  // namespace orvulink::cli
