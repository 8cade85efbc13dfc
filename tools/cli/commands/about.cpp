// orvulink about: the about box, shown through the control's ShowAboutBox as any host would see
// it, printed on standard output; --contents adds where the help contents are.
#include <orvulink/control.hpp>
#include <orvulink/design.hpp>
#include <orvulink/platform.hpp>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "commands/commands.hpp"

namespace orvulink::cli {
namespace {

// The user-interface seam of this host: it keeps what the component asked to show, so the
// command can print it on stdout like any other result.
class CapturedUserInterface final : public platform::UserInterface {
 public:
  void MessageBox(const BStr& text, const BStr& title, platform::MessageIcon) override {
    messages.push_back(title.utf8() + ": " + text.utf8());
  }
  void ShowAboutBox(const platform::AboutBox& box) override { about = box; }
  void ShowHelpContents(const std::string& file) override { help_file = file; }

  std::vector<std::string> messages;
  std::optional<platform::AboutBox> about;
  std::optional<std::string> help_file;
};

class InstalledUserInterface {
 public:
  explicit InstalledUserInterface(std::shared_ptr<platform::UserInterface> ui)
      : previous_(platform::SetUserInterface(std::move(ui))) {}
  ~InstalledUserInterface() { platform::SetUserInterface(previous_); }
  InstalledUserInterface(const InstalledUserInterface&) = delete;
  InstalledUserInterface& operator=(const InstalledUserInterface&) = delete;

 private:
  std::shared_ptr<platform::UserInterface> previous_;
};

// "Support: mailto:..." becomes a row labelled Support.
Row LineRow(const std::string& line) {
  const std::size_t colon = line.find(": ");
  if (colon == std::string::npos) return {"", line};
  return {line.substr(0, colon), line.substr(colon + 2)};
}

// The component names the file it would open whether or not it is there (without an
// installation folder it is "0/OrvuLink.chm"); a path that leads nowhere is not shown as help.
nlohmann::ordered_json HelpFileOrNull(const std::string& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return nullptr;
  return file;
}

void Print(const CapturedUserInterface& ui, Output& output) {
  const platform::AboutBox& box = *ui.about;
  if (output.json()) {
    nlohmann::ordered_json document = {{"Title", box.title.utf8()},
                                       {"Version", box.version.utf8()},
                                       {"Lines", nlohmann::ordered_json::array()}};
    for (const BStr& line : box.lines)
      document["Lines"].push_back(line.utf8());
    if (ui.help_file) document["HelpFile"] = HelpFileOrNull(*ui.help_file);
    output.Json(document);
    return;
  }
  std::vector<Row> rows = {{"Product", box.title.utf8()}, {"Version", box.version.utf8()}};
  for (const BStr& line : box.lines)
    rows.push_back(LineRow(line.utf8()));
  if (ui.help_file) {
    const auto file = HelpFileOrNull(*ui.help_file);
    rows.push_back({"Help", file.is_null() ? "not installed" : file.get<std::string>()});
  }
  output.Rows(rows);
}

}  // namespace

void AddAboutCommand(CLI::App& app, CommandConfig& chosen) {
  auto* about = app.add_subcommand("about", "Show the version and the support links");
  auto options = std::make_shared<AboutConfig>();
  about->add_flag("--contents", options->contents,
                  "Also show the help file (found through the installation folder)");
  about->callback([&chosen, options] { chosen = *options; });
}

// No settings are needed to show the box, so a fresh control stands in for the saved one.
int Run(const AboutConfig& config, Session& session) {
  auto ui = std::make_shared<CapturedUserInterface>();
  {
    InstalledUserInterface installed(ui);
    const auto control = OrvuLinkActiveX::Create();
    control->ShowAboutBox();
    if (config.contents) ShowHelpContents();
  }
  for (const auto& message : ui->messages)
    session.diagnostics() << message << '\n';
  if (!ui->about) throw std::runtime_error("the about box was not shown");
  Print(*ui, session.output());
  return kExitOk;
}

}  // namespace orvulink::cli
