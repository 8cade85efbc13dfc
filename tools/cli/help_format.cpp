#include "help_format.hpp"

namespace orvulink::cli {
namespace {

// The parser appends ":VALIDATOR" to a value's name; a colon inside quotes or brackets belongs
// to the name ("YYYY-MM-DD HH:MM", ORDERID[:PHONE]).
std::string BareTypeName(const std::string& full) {
  bool quoted = false;
  int depth = 0;
  for (std::size_t i = 0; i < full.size(); ++i) {
    if (full[i] == '"') quoted = !quoted;
    if (full[i] == '[') ++depth;
    if (full[i] == ']') --depth;
    if (full[i] == ':' && !quoted && depth == 0) return full.substr(0, i);
  }
  return full;
}

}  // namespace

std::string PlainHelpFormatter::make_option_opts(const CLI::Option* option) const {
  if (option->get_type_size() == 0) return {};  // a flag
  const std::string type = BareTypeName(option->get_type_name());
  // A positional's name already says what it is; the parser's generic kind adds nothing.
  const bool generic = type == "TEXT" || type == "INT" || type == "UINT" || type == "FLOAT";
  std::string text = generic && !option->nonpositional() ? "" : " " + type;
  if (option->get_expected_max() == CLI::detail::expected_max_vector_size) text += " ...";
  return text;
}

}  // namespace orvulink::cli
