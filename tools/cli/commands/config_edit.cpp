// orvulink config edit [PROPERTY]: the property page on the terminal. Apply hands the fields to
// the control through its setters and saves the settings file; Cancel leaves it as it was.
#include <unistd.h>

#include <orvulink/design.hpp>

#include <memory>
#include <string>

#include "commands/commands.hpp"
#include "page/page_editor.hpp"
#include "page/page_terminal.hpp"

namespace orvulink::cli {
namespace {

// The page itself never tells why a value did not take (the VAP code's check clears it
// silently); saving anyway would lose what the developer typed without a word.
std::string RejectionMessage(const std::vector<OrvuLinkProperty::Rejection>& rejected) {
  std::string message;
  for (const auto& rejection : rejected) {
    message += OrvuLinkProperty::PropertyName(rejection.field).utf8() + ": " +
               rejection.description.utf8() + "; ";
  }
  return message + "nothing saved";
}

bool ApplyAndSave(OrvuLinkProperty& page, PageEditor& editor, Session& session) {
  page.ApplyChanges();
  if (!page.Rejected().empty()) {
    editor.SetStatus(RejectionMessage(page.Rejected()));
    return false;
  }
  session.SaveSettings();
  return true;
}

// The page ignores a name it does not know; on the command line that is a typo worth a word.
void CheckPropertyName(const std::string& name) {
  std::string names;
  for (std::size_t i = 0; i < OrvuLinkProperty::kFieldCount; ++i) {
    const std::string property =
        OrvuLinkProperty::PropertyName(static_cast<OrvuLinkProperty::Field>(i)).utf8();
    if (property == name) return;
    names += (names.empty() ? "" : ", ") + property;
  }
  throw UsageError("no property \"" + name + "\" on the page; the properties are " + names);
}

int ExitStatus(const PageOutcome& outcome) {
  if (outcome.end != PageEnd::kInterrupted) return kExitOk;
  return 128 + outcome.signal;  // as the shell reports a program ended by the signal
}

}  // namespace

void AddConfigEditCommand(CLI::App& config, CommandConfig& chosen) {
  auto* edit =
      config.add_subcommand("edit", "Edit the settings on a property page in the terminal");
  auto options = std::make_shared<ConfigEditConfig>();
  edit->add_option("property", options->property,
                   "Property to start on, spelled exactly as the control names it (UserName, "
                   "VAPcode, AutomaticProxy, ...)");
  edit->callback([&chosen, options] { chosen = *options; });
}

int Run(const ConfigEditConfig& config, Session& session) {
  session.EditSettingsFile(true);
  if (config.property) CheckPropertyName(*config.property);
  if (isatty(STDIN_FILENO) != 1 || isatty(STDOUT_FILENO) != 1) {
    throw UsageError("config edit needs a terminal; scripts use config set");
  }
  OrvuLinkProperty page;
  page.Initialize();
  // The session owns the control and outlives the page, so the page's reference owns nothing.
  page.SelectionChanged(
      {std::shared_ptr<OrvuLinkActiveX>(std::shared_ptr<void>(), &session.Control())});
  if (config.property) page.EditProperty(*config.property);
  PageEditor editor(page);
  return ExitStatus(RunPageOnTerminal(editor, [&] { return ApplyAndSave(page, editor, session); }));
}

}  // namespace orvulink::cli
