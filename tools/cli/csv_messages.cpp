#include "csv_messages.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "csv_records.hpp"
#include "host_text.hpp"
#include "send_time.hpp"

namespace orvulink::cli {
namespace {

enum Column : std::size_t { kPhoneGsm, kMessageText, kSender, kDateTime, kColumnCount };

constexpr std::array<std::string_view, kColumnCount> kColumnNames = {"PhoneGsm", "MessageText",
                                                                     "Sender", "DateTime"};

// Where each column is in a record; none for a column the file leaves out.
using ColumnPositions = std::array<std::optional<std::size_t>, kColumnCount>;

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::optional<Column> ColumnNamed(std::string_view name) {
  for (std::size_t i = 0; i < kColumnCount; ++i) {
    if (SameName(name, kColumnNames[i])) return static_cast<Column>(i);
  }
  return std::nullopt;
}

ColumnPositions ReadHeader(const CsvRecord& header, bool sender_optional) {
  ColumnPositions positions;
  for (std::size_t i = 0; i < header.fields.size(); ++i) {
    const std::string name = Trimmed(header.fields[i]);
    const auto column = ColumnNamed(name);
    if (!column) {
      throw CsvError(header.line, "unknown column \"" + name +
                                      "\" (the columns are PhoneGsm, MessageText, "
                                      "Sender, DateTime)");
    }
    if (positions[*column]) throw CsvError(header.line, "column " + name + " appears twice");
    positions[*column] = i;
  }
  for (const Column required : {kPhoneGsm, kMessageText, kSender}) {
    if (positions[required] || (required == kSender && sender_optional)) continue;
    throw CsvError(header.line, "missing column " + std::string(kColumnNames[required]));
  }
  return positions;
}

std::string Cell(const CsvRecord& record, const ColumnPositions& positions, Column column) {
  return positions[column] ? record.fields[*positions[column]] : std::string();
}

std::string RequiredCell(const CsvRecord& record, const ColumnPositions& positions, Column column) {
  std::string cell = Cell(record, positions, column);
  if (Trimmed(cell).empty()) {
    throw CsvError(record.line, std::string(kColumnNames[column]) + " is empty");
  }
  return cell;
}

std::optional<DateParts> SendTimeCell(const CsvRecord& record, const ColumnPositions& positions) {
  const std::string cell = Trimmed(Cell(record, positions, kDateTime));
  if (cell.empty()) return std::nullopt;
  auto parts = ParseSendTime(cell);
  if (!parts) {
    throw CsvError(record.line, "DateTime \"" + cell + "\" is not a date in the form " +
                                    std::string(kSendTimeFormat));
  }
  return parts;
}

void CheckShape(const CsvRecord& record, std::size_t columns) {
  if (record.fields.size() != columns) {
    throw CsvError(record.line, std::to_string(record.fields.size()) +
                                    " fields where the header has " + std::to_string(columns));
  }
  for (const auto& field : record.fields) {
    if (!IsValidUtf8(field)) throw CsvError(record.line, "the text is not UTF-8");
  }
}

CsvMessage ReadMessage(const CsvRecord& record, const ColumnPositions& positions,
                       std::size_t columns, std::string_view default_sender) {
  CheckShape(record, columns);
  CsvMessage message;
  message.line = record.line;
  message.phone = RequiredCell(record, positions, kPhoneGsm);
  message.text = RequiredCell(record, positions, kMessageText);
  message.sender = Cell(record, positions, kSender);
  if (Trimmed(message.sender).empty()) {
    if (default_sender.empty()) throw CsvError(record.line, "Sender is empty");
    message.sender = default_sender;
  }
  message.at = SendTimeCell(record, positions);
  return message;
}

}  // namespace

CsvError::CsvError(std::size_t line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line) {}

std::vector<CsvMessage> ReadCsvMessages(std::string_view content, std::string_view default_sender) {
  const std::vector<CsvRecord> records = ReadCsvRecords(content);
  if (records.empty()) throw CsvError(1, "no header row (PhoneGsm,MessageText,Sender,DateTime)");
  const CsvRecord& header = records.front();
  CheckShape(header, header.fields.size());
  const ColumnPositions positions = ReadHeader(header, !default_sender.empty());
  std::vector<CsvMessage> messages;
  messages.reserve(records.size() - 1);
  for (std::size_t i = 1; i < records.size(); ++i)
    messages.push_back(ReadMessage(records[i], positions, header.fields.size(), default_sender));
  return messages;
}

}  // namespace orvulink::cli
