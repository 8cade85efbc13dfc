// The command-line host's list files: CSV records that read back the same once written out again
// with every field quoted, messages that keep the promises of their reader, and send times the
// control's own date conversion accepts.
#include "csv_messages.hpp"
#include "csv_records.hpp"
#include "fuzz_support.hpp"
#include "send_time.hpp"

#include <string>
#include <vector>

namespace {

using namespace orvulink;

std::string Quoted(const std::string& field) {
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Written(const std::vector<cli::CsvRecord>& records) {
  std::string content;
  for (const cli::CsvRecord& record : records) {
    for (std::size_t i = 0; i < record.fields.size(); ++i)
      content += (i > 0 ? "," : "") + Quoted(record.fields[i]);
    content += "\r\n";
  }
  return content;
}

void CheckRecords(std::string_view content) {
  std::vector<cli::CsvRecord> records;
  try {
    records = cli::ReadCsvRecords(content);
  } catch (const cli::CsvError& error) {
    ORVULINK_FUZZ_CHECK(error.line() >= 1);
    return;
  }
  std::size_t line = 1;
  for (const cli::CsvRecord& record : records) {
    ORVULINK_FUZZ_CHECK(!record.fields.empty());
    ORVULINK_FUZZ_CHECK(record.line >= line);
    line = record.line;
  }
  const std::vector<cli::CsvRecord> reread = cli::ReadCsvRecords(Written(records));
  ORVULINK_FUZZ_CHECK(reread.size() == records.size());
  for (std::size_t i = 0; i < records.size(); ++i)
    ORVULINK_FUZZ_CHECK(reread[i].fields == records[i].fields);
}

void CheckMessages(std::string_view content, std::string_view defaultSender) {
  std::vector<cli::CsvMessage> messages;
  try {
    messages = cli::ReadCsvMessages(content, defaultSender);
  } catch (const cli::CsvError&) {
    return;
  }
  for (const cli::CsvMessage& message : messages) {
    ORVULINK_FUZZ_CHECK(message.phone.find_first_not_of(" \t") != std::string::npos);
    ORVULINK_FUZZ_CHECK(message.text.find_first_not_of(" \t") != std::string::npos);
    ORVULINK_FUZZ_CHECK(!message.sender.empty());
    // The host hands the time to the control, which must take it as it is.
    if (message.at) ORVULINK_FUZZ_CHECK(Date::FromParts(*message.at).ToParts() == *message.at);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content = fuzz::BytesAsText(data, size);
  CheckRecords(content);
  CheckMessages(content, {});
  CheckMessages(content, "Mario");
  if (const auto parts = cli::ParseSendTime(content)) {
    ORVULINK_FUZZ_CHECK(Date::FromParts(*parts).ToParts() == *parts);
  }
  return 0;
}
