// What a subcommand runs with: the output, the diagnostics stream and the control with the
// settings file applied, opened on first use so that commands that need neither stay cheap.
#pragma once

#include <orvulink/control.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "invocation.hpp"
#include "journal/journal.hpp"
#include "output.hpp"
#include "settings_file.hpp"

namespace orvulink::cli {

class Session {
 public:
  Session(const GlobalConfig& global, Output& output, std::ostream& diagnostics);

  Output& output() { return output_; }
  std::ostream& diagnostics() { return diagnostics_; }
  const std::filesystem::path& settings_path() const { return settings_path_; }

  // For the config commands, before the first Control(): the file alone, without what the
  // environment overrides (so that a save never writes ORVULINK_PASSWORD into it); `creating`
  // lets a file named by --settings or --profile be missing.
  void EditSettingsFile(bool creating);

  // The control, created and restored from the settings file on the first call; then the
  // environment's password and gateway, unless the file is being edited.
  OrvuLinkActiveX& Control();
  // The settings file as loaded (Control() loads it).
  SettingsFile& Settings();
  // Writes the control's settings back into the file, creating its folder when needed.
  void SaveSettings();
  // The local journal, opened on the first call: a command that records calls it before it
  // contacts the gateway, so that a journal that cannot be opened stops it first.
  cli::Journal& journal();

 private:
  void Open();

  Output& output_;
  std::ostream& diagnostics_;
  std::filesystem::path settings_path_;
  bool named_ = false;  // by --settings or --profile: a missing file is a mistake
  bool editing_ = false;
  bool creating_ = false;
  std::shared_ptr<OrvuLinkActiveX> control_;
  std::optional<SettingsFile> settings_;
  std::optional<cli::Journal> journal_;
};

}  // namespace orvulink::cli
