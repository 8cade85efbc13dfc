#include "command_line.hpp"

#include <orvulink/control.hpp>

#include <iostream>

#include "commands/commands.hpp"
#include "exit_codes.hpp"
#include "help_format.hpp"

namespace orvulink::cli {
namespace {

constexpr char kFooter[] = R"(Settings:
  The ten settings of the control, and Gateway=host[:port] and DefaultCountry=CODE, are kept
  as Key=Value lines in the settings file (default $XDG_CONFIG_HOME/orvulink/settings.ini,
  else $HOME/.config/orvulink/settings.ini; --profile NAME: profiles/NAME.ini beside it).

Journal:
  Every send is recorded before it goes out and every downloaded message before it is
  printed, in $XDG_STATE_HOME/orvulink/journal.db (else $HOME/.local/state/orvulink/);
  see orvulink history, orvulink inbox, status --last and send --resume.

Environment:
  ORVULINK_JOURNAL       journal file to use instead of the default one
  ORVULINK_GATEWAY_HOST  gateway host[:port] to use instead of the Gateway setting
  ORVULINK_PASSWORD      the account's password, instead of the saved one
  ORVULINK_CA_FILE       PEM file of further trusted certificate authorities
  http_proxy, https_proxy, no_proxy
                         the system proxy, used by the connectivity probe when
                         UseAutomayicProxy is on

Exit status:
  0 success, 1 failure (an error, a connection test that is not OK, --timeout ran out),
  2 usage error (also a bad settings file, a national number, send --strict refusing),
  3 a send in which some message was refused or invalid,
  4 status --wait ran out of time before every recipient's status was final,
  130 (143) a send stopped by Ctrl-C (SIGTERM) after the command in flight)";

std::string FailureMessage(const CLI::App*, const CLI::Error& error) {
  return std::string("error: ") + error.what() + "\nRun with --help for more information.\n";
}

}  // namespace

void DescribeCommandLine(CLI::App& app, Invocation& invocation) {
  app.name("orvulink");
  app.formatter(std::make_shared<PlainHelpFormatter>());
  app.description("OrvuLink: the SMS gateway from the command line");
  // Global options may follow the subcommand too ("orvulink credit --json"); subcommands added
  // below inherit this.
  app.fallthrough();
  // At most one; none is reported by ReportMissingCommand with the help of what was given, and
  // an unknown word is reported as unexpected rather than as a missing subcommand.
  app.require_subcommand(0, 1);
  app.failure_message(FailureMessage);
  app.add_option("--settings", invocation.global.settings, "Settings file to read and write")
      ->type_name("FILE");
  app.add_option("--profile", invocation.global.profile,
                 "Use the settings of profile NAME (profiles/NAME.ini beside settings.ini)")
      ->type_name("NAME")
      ->excludes("--settings");
  app.add_flag("--json", invocation.global.json, "Print the result as JSON, for scripts");
  app.add_flag("-v,--verbose", invocation.global.verbose,
               "Show each gateway exchange on standard error (credentials redacted)");
  app.add_option("--timeout", invocation.global.timeout_seconds,
                 "Give up the whole command after SECONDS")
      ->type_name("SECONDS")
      ->check(CLI::Range(1, 86400));
  app.set_version_flag(
      "--version", [] { return "orvulink " + OrvuLinkActiveX::Create()->Version().utf8(); },
      "Print the version and exit");

  AddConfigCommand(app, invocation.command);
  AddTestCommand(app, invocation.command);
  AddCreditCommand(app, invocation.command);
  AddInfoCommand(app, invocation.command);
  AddDeleteCommand(app, invocation.command);
  AddSendCommand(app, invocation.command);
  AddStatusCommand(app, invocation.command);
  AddHistoryCommand(app, invocation.command);
  AddInboxCommand(app, invocation.command);
  AddKeysCommand(app, invocation.command);
  AddReceiveCommand(app, invocation.command);
  AddAutoresponderCommand(app, invocation.command);
  AddAboutCommand(app, invocation.command);
  // Set last, so that the subcommands' help does not repeat it.
  app.footer(kFooter);
}

int ReportMissingCommand(const CLI::App& app) {
  const CLI::App* deepest = &app;
  while (!deepest->get_subcommands().empty())
    deepest = deepest->get_subcommands().front();
  std::cerr << "error: a subcommand is required\n\n" << deepest->help();
  return kExitUsage;
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error) {
  const int status = app.exit(error, std::cout, std::cerr);
  return status == static_cast<int>(CLI::ExitCodes::Success) ? kExitOk : kExitUsage;
}

}  // namespace orvulink::cli
