#include "sim/command_parser.hpp"

#include <algorithm>

#include "sim/windows1252.hpp"

namespace orvulink::sim {
namespace {

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsValidName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), IsNameCharacter);
}

std::vector<std::string_view> SplitFields(std::string_view body) {
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t amp = body.find('&');
    parts.push_back(body.substr(0, amp));
    if (amp == std::string_view::npos) return parts;
    body.remove_prefix(amp + 1);
  }
}

// Decodes one «NAME=value» part into `field`; returns the reason it is malformed, or "".
std::string ParseField(std::string_view part, CommandField& field) {
  const std::size_t equals = part.find('=');
  if (equals == std::string_view::npos) return "a field without \"=\"";
  const std::string_view name = part.substr(0, equals);
  if (!IsValidName(name)) return "a field name that is not an upper-case word";
  field.name = std::string(name);
  field.raw = std::string(part.substr(equals + 1));
  const auto bytes = PercentDecode(field.raw);
  if (!bytes) return "a broken %-escape in " + field.name;
  field.text = Utf8FromWindows1252(*bytes);
  return "";
}

}  // namespace

const CommandField* ParsedCommand::Find(std::string_view name) const {
  const auto it = std::find_if(fields.begin(), fields.end(),
                               [name](const CommandField& field) { return field.name == name; });
  return it == fields.end() ? nullptr : &*it;
}

std::optional<std::string> PercentDecode(std::string_view value) {
  std::string bytes;
  bytes.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '%') {
      bytes.push_back(value[i]);
      continue;
    }
    if (i + 2 >= value.size()) return std::nullopt;  // fewer than two digits left
    const int high = HexValue(value[i + 1]);
    const int low = HexValue(value[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return bytes;
}

ParseResult ParseCommand(std::string_view body) {
  ParseResult result;
  if (body.empty()) {
    result.error = "an empty command";
    return result;
  }
  ParsedCommand command;
  for (const std::string_view part : SplitFields(body)) {
    CommandField field;
    result.error = ParseField(part, field);
    if (!result.error.empty()) return result;
    command.fields.push_back(std::move(field));
  }
  result.command = std::move(command);
  return result;
}

}  // namespace orvulink::sim
