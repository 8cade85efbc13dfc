// Decoding of the command string a client POSTs to the gateway.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::sim {

struct CommandField {
  std::string name;
  std::string raw;   // as it stood in the command string
  std::string text;  // %-escapes decoded to Windows-1252 bytes, then read as UTF-8
};

struct ParsedCommand {
  std::vector<CommandField> fields;  // in the order they arrived

  const CommandField* Find(std::string_view name) const;
};

struct ParseResult {
  std::optional<ParsedCommand> command;
  std::string error;  // why the command string is malformed, when `command` is empty
};

// Splits «NAME=value» fields joined by "&". Names are upper-case ASCII letters, digits and "_".
// A value may hold literal characters (the separators some commands carry unencoded) and
// "%" + two hexadecimal digits per byte; a "%" without two digits makes the string malformed.
ParseResult ParseCommand(std::string_view body);

// The bytes of a %-encoded value, or nothing when an escape is broken.
std::optional<std::string> PercentDecode(std::string_view value);

}  // namespace orvulink::sim
