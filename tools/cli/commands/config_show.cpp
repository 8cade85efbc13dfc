// orvulink config show: the ten settings as the control restored them from the file, then this
// host's own.
#include <nlohmann/json.hpp>

#include "commands/commands.hpp"
#include "settings_keys.hpp"
#include "settings_rules.hpp"

namespace orvulink::cli {
namespace {

constexpr char kMask[] = "********";

// An empty secret is shown as empty: masking it would hide that none is set.
bool Masked(const SettingKey& key, const SettingValue& value, bool reveal) {
  return key.kind == SettingKind::kSecret && !reveal && !std::get<std::string>(value).empty();
}

std::string Text(const SettingValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) return *flag ? "True" : "False";
  return std::get<std::string>(value);
}

}  // namespace

void AddConfigShowCommand(CLI::App& config, CommandConfig& chosen) {
  auto* show = config.add_subcommand("show", "Show the settings (passwords masked)");
  auto options = std::make_shared<ConfigShowConfig>();
  show->add_flag("--reveal", options->reveal, "Show the passwords too");
  show->callback([&chosen, options] { chosen = *options; });
}

int Run(const ConfigShowConfig& config, Session& session) {
  session.EditSettingsFile(false);
  OrvuLinkActiveX& control = session.Control();
  nlohmann::ordered_json document = nlohmann::ordered_json::object();
  std::vector<Row> rows;
  for (const SettingKey& key : SettingKeys()) {
    const SettingValue value = key.read(control);
    const bool masked = Masked(key, value, config.reveal);
    if (masked) {
      document[key.key] = kMask;
    } else {
      std::visit([&](const auto& v) { document[key.key] = v; }, value);
    }
    rows.push_back({std::string(key.key), masked ? kMask : Text(value)});
  }
  for (const std::string_view key : HostSettingKeys()) {
    const std::string value = session.Settings().Get(key).value_or("");
    document[std::string(key)] = value;
    rows.push_back({std::string(key), value});
  }
  if (session.output().json()) {
    session.output().Json(document);
  } else {
    // Key=Value off a terminal: the lines read like the settings file and like `config set`.
    session.output().Rows(rows, "=");
  }
  return kExitOk;
}

}  // namespace orvulink::cli
