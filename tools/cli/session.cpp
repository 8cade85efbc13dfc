#include "session.hpp"

#include "settings_path.hpp"

namespace orvulink::cli {

Session::Session(const GlobalConfig& global, Output& output, std::ostream& diagnostics)
    : output_(output),
      diagnostics_(diagnostics),
      settings_path_(global.settings.empty() ? DefaultSettingsPath() : global.settings) {}

OrvuLinkActiveX& Session::Control() {
  if (!control_) Open();
  return *control_;
}

FilePropertyBag& Session::Bag() {
  if (!control_) Open();
  return *bag_;
}

// The container's part: create the control, then hand it the saved settings. A missing file
// is an empty bag, so the control keeps its defaults.
void Session::Open() {
  auto control = OrvuLinkActiveX::Create();
  auto& bag = bag_.emplace(settings_path_);
  bag.Load();
  for (const auto& [number, text] : bag.SkippedLines()) {
    diagnostics_ << "warning: " << settings_path_.string() << ":" << number
                 << ": line skipped: " << text << '\n';
  }
  control->ReadProperties(bag);
  control_ = std::move(control);
}

Journal& Session::journal() {
  if (!journal_) journal_.emplace(DefaultJournalPath());
  return *journal_;
}

void Session::SaveSettings() {
  OrvuLinkActiveX& control = Control();
  control.WriteProperties(*bag_);
  if (settings_path_.has_parent_path()) {
    std::filesystem::create_directories(settings_path_.parent_path());
  }
  bag_->Save();
}

}  // namespace orvulink::cli
