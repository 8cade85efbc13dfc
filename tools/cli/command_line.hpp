// The CLI11 description of orvulink: global options, the subcommands and the help text.
#pragma once

#include <CLI/CLI.hpp>

#include "invocation.hpp"

namespace orvulink::cli {

// Describes the whole command line on `app`; parsing it fills `invocation`, which therefore
// has to outlive the parse.
void DescribeCommandLine(CLI::App& app, Invocation& invocation);

// For a command line that chose no subcommand ("orvulink", "orvulink config"): says so and
// prints the help of the last word given on stderr; returns kExitUsage.
int ReportMissingCommand(const CLI::App& app);

// Prints what CLI11 reported (help on stdout, a parse error on stderr) and returns the exit
// status: 0 after a request for help, kExitUsage otherwise.
int ReportParseError(const CLI::App& app, const CLI::ParseError& error);

}  // namespace orvulink::cli
