#include "output.hpp"

#include <algorithm>

namespace orvulink::cli {

Output::Output(std::ostream& out, bool json, bool terminal)
    : out_(out), json_(json), terminal_(terminal) {}

void Output::Rows(const std::vector<Row>& rows, std::string_view separator) {
  std::size_t width = 0;
  for (const auto& row : rows)
    width = std::max(width, row.label.size());
  for (const auto& row : rows) {
    const std::string value = OneLine(row.value);
    if (terminal_) {
      out_ << row.label;
      if (!value.empty()) out_ << std::string(width - row.label.size() + 2, ' ') << value;
    } else {
      out_ << row.label << separator << value;
    }
    out_ << '\n';
  }
  out_.flush();
}

void Output::Value(std::string_view label, std::string_view value) {
  if (terminal_) {
    Rows({{std::string(label), std::string(value)}});
    return;
  }
  out_ << OneLine(value) << '\n';
  out_.flush();
}

void Output::Json(const nlohmann::ordered_json& document) {
  // Pretty for a person, one line for a pipe; text from the gateway that is not valid UTF-8
  // is replaced rather than allowed to abort the dump.
  const int indent = terminal_ ? 2 : -1;
  out_ << document.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
       << '\n';
  out_.flush();
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return line;
}

}  // namespace orvulink::cli
