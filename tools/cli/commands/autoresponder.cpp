// orvulink autoresponder KEY TEXT: sets the automatic reply of one reception key.
#include <orvulink/enums.hpp>

#include <nlohmann/json.hpp>
#include <string>

#include "commands/commands.hpp"
#include "reception_keys.hpp"

namespace orvulink::cli {

void AddAutoresponderCommand(CLI::App& app, CommandConfig& chosen) {
  auto* autoresponder =
      app.add_subcommand("autoresponder", "Set the automatic reply of a reception key");
  auto options = std::make_shared<AutoresponderConfig>();
  autoresponder->add_option("KEY", options->key, "Reception key (see orvulink keys)")->required();
  autoresponder->add_option("TEXT", options->text, "The new automatic reply")->required();
  autoresponder->callback([&chosen, options] { chosen = *options; });
}

// The gateway judges key and text; a refusal arrives as error 28385, whose text lists every
// cause but the one a user typing "" most likely meant.
int Run(const AutoresponderConfig& config, Session& session) {
  const auto key = ReceptionKeyNamed(session.Control(), config.key);
  try {
    key->SetAutoResponder(config.text);
  } catch (const AutomationError& error) {
    if (error.Number() != ORVULINK_ERROR_AUTORESPONDER || !config.text.empty()) throw;
    throw AutomationError(error.Number(), error.Source(),
                          error.Description().utf8() +
                              "; the gateway takes no empty automatic reply, so the key keeps "
                              "its current one: give the text to reply with");
  }
  if (session.output().json()) {
    session.output().Json({{"KeyReceived", key->KeyReceived().utf8()},
                           {"TextAutoResponder", key->TextAutoResponder().utf8()}});
  } else {
    session.output().Value("Automatic reply", key->TextAutoResponder().utf8());
  }
  return kExitOk;
}

}  // namespace orvulink::cli
