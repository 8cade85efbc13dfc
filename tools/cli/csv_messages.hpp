// A list of messages in a CSV file: a header row naming the columns PhoneGsm, MessageText,
// Sender and DateTime (any order, any letter case), then one message per record. Fields may be
// quoted, with "" for a quote and commas and line breaks inside. DateTime is "YYYY-MM-DD HH:MM"
// or empty for "at once".
#pragma once

#include <orvulink/automation.hpp>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::cli {

struct CsvMessage {
  std::size_t line = 0;  // where the record starts, 1-based, counting lines inside quotes
  std::string phone;
  std::string text;
  std::string sender;
  std::optional<DateParts> at;  // none: at once
};

// A file that cannot be read as a list; nothing of it is to be sent.
class CsvError : public std::runtime_error {
 public:
  CsvError(std::size_t line, const std::string& reason);
  std::size_t line() const { return line_; }

 private:
  std::size_t line_;
};

// Reads every record or throws CsvError for the first bad one. The Sender column may be left
// out, and a Sender cell empty, only when `default_sender` is given; a required cell that is
// empty, a record with more or fewer fields than the header, text that is not UTF-8 and a date
// that is not a real one are errors.
std::vector<CsvMessage> ReadCsvMessages(std::string_view content,
                                        std::string_view default_sender = {});

}  // namespace orvulink::cli
