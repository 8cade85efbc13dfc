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

void Output::Table(const std::vector<std::string>& headers,
                   const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths(headers.size(), 0);
  if (terminal_) {
    for (std::size_t i = 0; i < headers.size(); ++i)
      widths[i] = headers[i].size();
    for (const auto& row : rows)
      for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i)
        widths[i] = std::max(widths[i], OneLine(row[i]).size());
    TableLine(headers, widths);
  }
  for (const auto& row : rows)
    TableLine(row, widths);
  out_.flush();
}

void Output::TableLine(const std::vector<std::string>& cells,
                       const std::vector<std::size_t>& widths) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const std::string cell = OneLine(cells[i]);
    const bool last = i + 1 == cells.size();
    if (!terminal_) {
      out_ << cell << (last ? "" : "\t");
    } else {
      out_ << cell;
      if (!last && i < widths.size()) out_ << std::string(widths[i] - cell.size() + 2, ' ');
    }
  }
  out_ << '\n';
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
