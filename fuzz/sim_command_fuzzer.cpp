// The simulator's reading of a command string: fields split at "&" that join back into the body,
// %-escapes decoded exactly when well formed, and SENDDATA lines that survive being written out
// again field by field.
#include "fuzz_support.hpp"
#include "sim/command_parser.hpp"
#include "sim/send_data.hpp"
#include "sim/windows1252.hpp"

#include <cstdio>
#include <optional>
#include <string>

namespace {

using namespace orvulink;

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> ReferenceDecode(std::string_view value) {
  std::string bytes;
  while (!value.empty()) {
    if (value.front() != '%') {
      bytes += value.front();
      value.remove_prefix(1);
      continue;
    }
    if (value.size() < 3 || Hex(value[1]) < 0 || Hex(value[2]) < 0) return std::nullopt;
    bytes += static_cast<char>(Hex(value[1]) * 16 + Hex(value[2]));
    value.remove_prefix(3);
  }
  return bytes;
}

std::string Encoded(std::string_view utf8) {
  std::string out;
  char code[4];
  for (unsigned char byte : sim::Windows1252FromUtf8(utf8)) {
    std::snprintf(code, sizeof code, "%%%02X", byte);
    out += code;
  }
  return out;
}

void CheckCommand(std::string_view body) {
  const sim::ParseResult parsed = sim::ParseCommand(body);
  ORVULINK_FUZZ_CHECK(parsed.command.has_value() == parsed.error.empty());
  if (!parsed.command) return;
  std::string joined;
  for (const sim::CommandField& field : parsed.command->fields) {
    if (!joined.empty()) joined += '&';
    joined += field.name + "=" + field.raw;
    const std::optional<std::string> bytes = ReferenceDecode(field.raw);
    ORVULINK_FUZZ_CHECK(bytes.has_value());
    ORVULINK_FUZZ_CHECK(field.text == sim::Utf8FromWindows1252(*bytes));
    ORVULINK_FUZZ_CHECK(parsed.command->Find(field.name) != nullptr);
  }
  ORVULINK_FUZZ_CHECK(joined == body);
}

void CheckSendData(std::string_view raw) {
  const auto lines = sim::ParseSendData(raw);
  if (!lines) return;
  ORVULINK_FUZZ_CHECK(!lines->empty());
  // Written out again as the component writes it, each line reads back the same.
  std::string again;
  for (const sim::SendLine& line : *lines) {
    ORVULINK_FUZZ_CHECK(!line.recipients.empty());
    if (!again.empty()) again += "\r\n";
    std::string phones;
    for (const std::string& phone : line.recipients) {
      ORVULINK_FUZZ_CHECK(!phone.empty());
      phones += (phones.empty() ? "" : ",") + phone;
    }
    char date[16] = "0000-00-00";
    char time[8] = "00:00";
    if (line.send_at) {
      const sim::LocalMinute& at = *line.send_at;
      std::snprintf(date, sizeof date, "%04d-%02d-%02d", at.year, at.month, at.day);
      std::snprintf(time, sizeof time, "%02d:%02d", at.hour, at.minute);
    }
    again += Encoded(line.group) + "\t" + Encoded(line.sender) + "\t" + Encoded(phones) + "\t" +
             Encoded(line.text) + "\t" + Encoded(date) + "\t" + Encoded(time);
  }
  const auto reread = sim::ParseSendData(again);
  ORVULINK_FUZZ_CHECK(reread && reread->size() == lines->size());
  for (std::size_t i = 0; i < lines->size(); ++i) {
    const sim::SendLine& a = (*lines)[i];
    const sim::SendLine& b = (*reread)[i];
    ORVULINK_FUZZ_CHECK(a.group == b.group && a.sender == b.sender && a.text == b.text);
    ORVULINK_FUZZ_CHECK(a.recipients == b.recipients);
    ORVULINK_FUZZ_CHECK(a.send_at.has_value() == b.send_at.has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body = fuzz::BytesAsText(data, size);
  CheckCommand(body);
  const std::optional<std::string> decoded = sim::PercentDecode(body);
  const std::optional<std::string> expected = ReferenceDecode(body);
  ORVULINK_FUZZ_CHECK(decoded == expected);
  // SENDDATA as the send command reads it: from its raw value in the command, or the whole input.
  const sim::ParseResult parsed = sim::ParseCommand(body);
  const sim::CommandField* sendData = parsed.command ? parsed.command->Find("SENDDATA") : nullptr;
  CheckSendData(sendData != nullptr ? std::string_view(sendData->raw) : body);
  return 0;
}
