// The command-line host's list files: CSV records that read back the same once written out again
// with every field quoted, messages that keep the promises of their reader, and send times the
// control's own date conversion accepts.
#include "csv_messages.hpp"
#include "csv_records.hpp"
#include "fuzz_support.hpp"
#include "send_time.hpp"

namespace {

using namespace orvulink;

// The records written out again with every field quoted.
std::string Written(const std::vector<cli::CsvRecord>& records) {
  std::string content;
  for (const cli::CsvRecord& record : records) {
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
      std::string quoted = record.fields[i];
      for (std::size_t at = quoted.find('"'); at != std::string::npos;
           at = quoted.find('"', at + 2))
        quoted.insert(at, 1, '"');
      content += (i > 0 ? ",\"" : "\"") + quoted + "\"";
    }
    content += "\r\n";
  }
  return content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content = fuzz::BytesAsText(data, size);
  std::vector<cli::CsvRecord> records;
  try {
    records = cli::ReadCsvRecords(content);
  } catch (const cli::CsvError& error) {
    ORVULINK_FUZZ_CHECK(error.line() >= 1);
  }
  // Written out again, the records read back the same; an error escaping here is a finding.
  const std::vector<cli::CsvRecord> reread = cli::ReadCsvRecords(Written(records));
  ORVULINK_FUZZ_CHECK(reread.size() == records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    ORVULINK_FUZZ_CHECK(!records[i].fields.empty() && reread[i].fields == records[i].fields);
    ORVULINK_FUZZ_CHECK(i == 0 || records[i].line >= records[i - 1].line);
  }
  for (std::string_view defaultSender : {"", "Mario"}) {
    try {
      for (const cli::CsvMessage& message : cli::ReadCsvMessages(content, defaultSender)) {
        ORVULINK_FUZZ_CHECK(message.phone.find_first_not_of(" \t") != std::string::npos);
        ORVULINK_FUZZ_CHECK(message.text.find_first_not_of(" \t") != std::string::npos);
        ORVULINK_FUZZ_CHECK(!message.sender.empty());
        // The host hands the time to the control, which must take it as it is.
        if (message.at) ORVULINK_FUZZ_CHECK(Date::FromParts(*message.at).ToParts() == *message.at);
      }
    } catch (const cli::CsvError&) {
    }
  }
  if (const auto parts = cli::ParseSendTime(content))
    ORVULINK_FUZZ_CHECK(Date::FromParts(*parts).ToParts() == *parts);
  return 0;
}
