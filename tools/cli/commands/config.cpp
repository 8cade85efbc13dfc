// orvulink config: the group of the settings subcommands.
#include "commands/commands.hpp"

namespace orvulink::cli {

void AddConfigCommand(CLI::App& app, CommandConfig& chosen) {
  auto* config = app.add_subcommand("config", "Show or change the saved settings");
  config->require_subcommand(0, 1);
  AddConfigShowCommand(*config, chosen);
  AddConfigSetCommand(*config, chosen);
  AddConfigEditCommand(*config, chosen);
}

}  // namespace orvulink::cli
