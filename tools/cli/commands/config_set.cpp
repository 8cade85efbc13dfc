// orvulink config set KEY=VALUE...: changes settings through the control's setters, then saves.
#include <string_view>

#include "commands/commands.hpp"
#include "settings_keys.hpp"

namespace orvulink::cli {
namespace {

struct Assignment {
  const SettingKey* key;
  SettingValue value;
};

// Checks the whole command line before anything is touched, so a typo in the last pair
// leaves the file as it was.
Assignment ParseAssignment(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    throw UsageError("\"" + std::string(text) + "\" is not KEY=VALUE");
  }
  const std::string_view name = text.substr(0, equals);
  const std::string_view value = text.substr(equals + 1);
  const SettingKey* key = FindSettingKey(name);
  if (key == nullptr) {
    throw UsageError("unknown setting \"" + std::string(name) + "\"; the settings are " +
                     SettingKeyList());
  }
  if (key->kind != SettingKind::kBoolean) return {key, std::string(value)};
  const auto flag = ParseBoolean(value);
  if (!flag) {
    throw UsageError(std::string(key->key) + " is true or false (yes/no, on/off, 1/0), not \"" +
                     std::string(value) + "\"");
  }
  return {key, *flag};
}

// Plain setters never raise: a rejected value (the VAP code's check) shows only in ErrCode,
// which reading it does not reset.
void Apply(OrvuLinkActiveX& control, const Assignment& assignment) {
  assignment.key->write(control, assignment.value);
  if (control.ErrCode() != 0) {
    throw AutomationError(control.ErrCode(), "OrvuLink", control.ErrDescription());
  }
}

}  // namespace

void AddConfigSetCommand(CLI::App& config, CommandConfig& chosen) {
  auto* set = config.add_subcommand("set", "Change settings and save them");
  auto options = std::make_shared<ConfigSetConfig>();
  set->add_option("assignments", options->assignments,
                  "KEY=VALUE pairs; keys: " + SettingKeyList() + " (letter case ignored)")
      ->type_name("KEY=VALUE")
      ->required();
  set->callback([&chosen, options] { chosen = *options; });
}

int Run(const ConfigSetConfig& config, Session& session) {
  std::vector<Assignment> assignments;
  for (const auto& text : config.assignments)
    assignments.push_back(ParseAssignment(text));
  OrvuLinkActiveX& control = session.Control();
  for (const auto& assignment : assignments)
    Apply(control, assignment);
  session.SaveSettings();
  return kExitOk;
}

}  // namespace orvulink::cli
