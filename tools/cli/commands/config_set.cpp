// orvulink config set KEY=VALUE...: changes settings through the control's setters, then saves.
#include <string_view>

#include "commands/commands.hpp"
#include "secret_input.hpp"
#include "settings_keys.hpp"
#include "settings_rules.hpp"

namespace orvulink::cli {
namespace {

struct Assignment {
  CheckedSetting checked;
  const SettingKey* control_key;  // null for this host's own settings
};

// What may be shown of a mistyped pair: the leading word, which is a key or a typo of one;
// what follows may be a password ("ProxyPassword:secret").
std::string KeyPart(std::string_view text) {
  const std::size_t end =
      text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_");
  return std::string(text.substr(0, end)) + (end == std::string_view::npos ? "" : "...");
}

// Checks the whole command line before anything is touched, so a typo in the last pair
// leaves the file as it was. A secret's key alone asks for its value.
Assignment ParseAssignment(std::string_view text) {
  const std::size_t equals = text.find('=');
  std::string value;
  if (equals == std::string_view::npos) {
    const SettingKey* key = FindSettingKey(text);
    if (key == nullptr || key->kind != SettingKind::kSecret) {
      throw UsageError("\"" + KeyPart(text) +
                       "\" is not KEY=VALUE (only a password's key may come alone, to be asked "
                       "for)");
    }
    value = ReadSecret(std::string(key->key));
  } else {
    value = std::string(text.substr(equals + 1));
  }
  const std::string_view name = text.substr(0, std::min(equals, text.size()));
  CheckedSetting checked = CheckSetting(name, value);
  if (checked.key.empty()) {
    throw UsageError("unknown setting \"" + KeyPart(name) + "\"; the settings are " +
                     AllSettingKeys());
  }
  if (!checked.problem.empty()) throw UsageError(std::string(checked.key) + " " + checked.problem);
  return {std::move(checked), FindSettingKey(name)};
}

// Plain setters never raise: a rejected value (the VAP code's check) shows only in ErrCode,
// which reading it does not reset.
void Apply(Session& session, const Assignment& assignment) {
  if (assignment.control_key == nullptr) {
    session.Settings().Set(assignment.checked.key, assignment.checked.value);
    return;
  }
  const std::string& text = assignment.checked.value;
  const SettingValue value = assignment.control_key->kind == SettingKind::kBoolean
                                 ? SettingValue(text == "True")
                                 : SettingValue(text);
  OrvuLinkActiveX& control = session.Control();
  assignment.control_key->write(control, value);
  if (control.ErrCode() != 0) {
    throw AutomationError(control.ErrCode(), "OrvuLink", control.ErrDescription());
  }
}

}  // namespace

void AddConfigSetCommand(CLI::App& config, CommandConfig& chosen) {
  auto* set = config.add_subcommand("set", "Change settings and save them");
  auto options = std::make_shared<ConfigSetConfig>();
  set->add_option("assignments", options->assignments,
                  "KEY=VALUE pairs; keys: " + AllSettingKeys() +
                      " (letter case ignored). Password or ProxyPassword alone asks for the "
                      "value without echo (or reads it from standard input)")
      ->type_name("KEY=VALUE")
      ->required();
  set->callback([&chosen, options] { chosen = *options; });
}

int Run(const ConfigSetConfig& config, Session& session) {
  session.EditSettingsFile(true);
  std::vector<Assignment> assignments;
  for (const auto& text : config.assignments)
    assignments.push_back(ParseAssignment(text));
  for (const auto& assignment : assignments)
    Apply(session, assignment);
  session.SaveSettings();
  return kExitOk;
}

}  // namespace orvulink::cli
