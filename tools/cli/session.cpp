#include "session.hpp"

#include "environment_overrides.hpp"
#include "exit_codes.hpp"
#include "settings_path.hpp"

namespace orvulink::cli {
namespace {

std::filesystem::path SettingsPath(const GlobalConfig& global) {
  if (!global.settings.empty()) return global.settings;
  if (global.profile) return ProfileSettingsPath(*global.profile);
  return DefaultSettingsPath();
}

// The control restores a VAP code without its setter's check, which `config set` applies; a
// hand-edited one is held to the same rule here.
void CheckSavedVapCode(OrvuLinkActiveX& control, const SettingsFile& settings,
                       const std::filesystem::path& path) {
  const std::optional<std::string> code = settings.Get("VAPCode");
  if (!code || code->empty()) return;
  control.VAPcode(BStr(*code));
  if (control.ErrCode() == 0) return;
  throw UsageError(path.string() + ":" + std::to_string(settings.LineOf("VAPCode")) +
                   ": VAPCode: " + control.ErrDescription().utf8());
}

}  // namespace

Session::Session(const GlobalConfig& global, Output& output, std::ostream& diagnostics)
    : output_(output),
      diagnostics_(diagnostics),
      settings_path_(SettingsPath(global)),
      named_(!global.settings.empty() || global.profile.has_value()) {}

void Session::EditSettingsFile(bool creating) {
  editing_ = true;
  creating_ = creating;
}

OrvuLinkActiveX& Session::Control() {
  if (!control_) Open();
  return *control_;
}

SettingsFile& Session::Settings() {
  if (!control_) Open();
  return *settings_;
}

// The container's part: create the control, then hand it the saved settings. A missing file
// of the default profile is an empty one, so the control keeps its defaults.
void Session::Open() {
  auto control = OrvuLinkActiveX::Create();
  auto& settings = settings_.emplace(settings_path_);
  settings.Load(named_ && !creating_, diagnostics_);
  control->ReadProperties(settings);
  CheckSavedVapCode(*control, settings, settings_path_);
  if (!editing_) ApplyEnvironmentOverrides(*control, settings);
  control_ = std::move(control);
}

Journal& Session::journal() {
  if (!journal_) journal_.emplace(DefaultJournalPath());
  return *journal_;
}

void Session::SaveSettings() {
  OrvuLinkActiveX& control = Control();
  control.WriteProperties(*settings_);
  settings_->Save();
}

}  // namespace orvulink::cli
