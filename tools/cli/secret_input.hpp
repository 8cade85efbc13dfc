// A secret typed by the user rather than given on the command line, where `ps` and the shell's
// history would keep it.
#pragma once

#include <string>

namespace orvulink::cli {

// On a terminal: asks for `name` on stderr and reads a line from stdin without echo. Otherwise
// reads the first line of stdin (for `printf %s "$PW" | orvulink config set Password`).
// Throws a UsageError when stdin ends before a line.
std::string ReadSecret(const std::string& name);

}  // namespace orvulink::cli
