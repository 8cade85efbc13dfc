// Where a command's data goes: standard output, as aligned rows on a terminal, as plain
// "label: value" lines otherwise, or as one JSON document with --json.
#pragma once

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::cli {

struct Row {
  std::string label;
  std::string value;
};

class Output {
 public:
  Output(std::ostream& out, bool json, bool terminal);

  bool json() const { return json_; }
  bool terminal() const { return terminal_; }

  // Rows of human output. On a terminal the values line up in one column; elsewhere each row
  // is label, `separator`, value, so that scripts can split it.
  void Rows(const std::vector<Row>& rows, std::string_view separator = ": ");
  // A single datum: labelled on a terminal, the bare value elsewhere (for `$(orvulink credit)`).
  void Value(std::string_view label, std::string_view value);
  // A table of human output. On a terminal a header and columns that line up; elsewhere one
  // line per row, the cells separated by TAB and no header, so that scripts can cut it.
  void Table(const std::vector<std::string>& headers,
             const std::vector<std::vector<std::string>>& rows);
  // The command's whole result as JSON; keys are named as the automation members.
  void Json(const nlohmann::ordered_json& document);

 private:
  void TableLine(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths);

  std::ostream& out_;
  bool json_;
  bool terminal_;
};

// One line of human output: control characters (a TAB inside an error text) become spaces.
std::string OneLine(std::string_view text);

}  // namespace orvulink::cli
