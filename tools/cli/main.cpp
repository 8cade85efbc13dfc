// orvulink: the command-line host of the OrvuLink control. It parses the command line into a
// typed invocation, then runs the one subcommand chosen; data goes to standard output,
// diagnostics and errors to standard error, and each kind of error has its exit status.
#include <unistd.h>
#include <orvulink/automation.hpp>

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <type_traits>
#include <variant>

#include "command_deadline.hpp"
#include "command_line.hpp"
#include "commands/commands.hpp"
#include "exchange_trace.hpp"
#include "exit_codes.hpp"
#include "invocation.hpp"
#include "output.hpp"
#include "session.hpp"

namespace {

using namespace orvulink::cli;

int Dispatch(const CommandConfig& command, Session& session) {
  return std::visit(
      [&session](const auto& config) -> int {
        if constexpr (std::is_same_v<std::decay_t<decltype(config)>, std::monostate>) {
          throw std::logic_error("no subcommand to run");  // main reports this case first
        } else {
          return Run(config, session);
        }
      },
      command);
}

int Execute(const Invocation& invocation) {
  Output output(std::cout, invocation.global.json, isatty(STDOUT_FILENO) == 1);
  Session session(invocation.global, output, std::cerr);
  const CommandDeadline deadline(invocation.global.timeout_seconds);
  const ExchangeTrace trace(invocation.global.verbose, isatty(STDERR_FILENO) == 1, std::cerr);
  return Dispatch(invocation.command, session);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app;
  Invocation invocation;
  DescribeCommandLine(app, invocation);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return ReportParseError(app, error);
  }
  if (std::holds_alternative<std::monostate>(invocation.command)) {
    return ReportMissingCommand(app);
  }

  try {
    return Execute(invocation);
  } catch (const UsageError& error) {
    std::cerr << "error: " << error.what() << '\n';
    return kExitUsage;
  } catch (const orvulink::AutomationError& error) {
    std::cerr << "error " << error.Number() << ": " << OneLine(error.Description().utf8()) << '\n';
    return kExitFailure;
  } catch (const std::exception& error) {
    std::cerr << "error: " << error.what() << '\n';
    return kExitFailure;
  }
}
