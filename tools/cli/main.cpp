// orvulink: the command-line host of the OrvuLink control. It parses the command line into a
// typed invocation, then runs the one subcommand chosen; data goes to standard output,
// diagnostics and errors to standard error, and each kind of error has its exit status.
#include <signal.h>
#include <unistd.h>
#include <orvulink/automation.hpp>

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <type_traits>
#include <variant>

#include "checked_output.hpp"
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

// Runs the command; its failures become a line on standard error and the exit status.
int ExecuteReportingErrors(const Invocation& invocation) {
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

// Whatever the command printed must have arrived: a full disk or a reader gone is a failure the
// user has to see (what was received or sent is in the journal by then).
int CheckedOutput(CheckedOutputBuffer& buffer, int status) {
  const std::string failure = buffer.Finish();
  if (failure.empty()) return status;
  std::cerr << "error: cannot write the output: " << failure
            << "; orvulink history and orvulink inbox show what the journal kept\n";
  return status == kExitOk ? kExitFailure : status;
}

// Standard output through the checked buffer for the life of the scope.
class CheckedStandardOutput {
 public:
  CheckedStandardOutput() : previous_(std::cout.rdbuf(&buffer_)) {}
  ~CheckedStandardOutput() { std::cout.rdbuf(previous_); }
  CheckedStandardOutput(const CheckedStandardOutput&) = delete;
  CheckedStandardOutput& operator=(const CheckedStandardOutput&) = delete;
  CheckedOutputBuffer& buffer() { return buffer_; }

 private:
  CheckedOutputBuffer buffer_{STDOUT_FILENO};
  std::streambuf* previous_;
};

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

  // A closed pipe is an error to report, not a silent death halfway through the output.
  signal(SIGPIPE, SIG_IGN);
  CheckedStandardOutput out;
  return CheckedOutput(out.buffer(), ExecuteReportingErrors(invocation));
}
