// The command string between the component and the gateway. The first byte picks:
//  0 the component's encoding read back by the simulator's own decoder and code-page table:
//    every unit comes back as itself, or as "?" where the gateway's code page has no byte for
//    it, and a whole command string splits into the fields it was built from;
//  1 the simulator's reading of any command string: fields that join back into the body,
//    %-escapes that decode back from their own escaping, SENDDATA lines that read back the same
//    once written out again field by field;
//  2 the simulated gateway answering a short conversation (command strings separated by NUL
//    bytes), its clock moved on between commands: the same conversation after a reset gets the
//    same answers.
#include "core/control_state.hpp"
#include "fuzz_support.hpp"
#include "gateway/command.hpp"
#include "platform/text.hpp"
#include "sim/answer.hpp"
#include "sim/command_parser.hpp"
#include "sim/gateway.hpp"
#include "sim/send_data.hpp"
#include "sim/utf8.hpp"
#include "sim/windows1252.hpp"
#include "unit/percent_encoded.hpp"

#include <unordered_set>

namespace {

using namespace orvulink;

std::u16string ReadByGateway(const std::u16string& encoded) {
  const std::optional<std::string> bytes = sim::PercentDecode(platform::Utf16ToUtf8(encoded));
  ORVULINK_FUZZ_CHECK(bytes.has_value());
  return sim::Utf16FromUtf8(sim::Utf8FromWindows1252(*bytes));
}

void Encode(const std::uint8_t* data, std::size_t size) {
  // The units the code page carries, read off the simulator's table byte by byte.
  static const std::unordered_set<char16_t> carried = [] {
    std::u16string all;
    for (int byte = 0; byte < 256; ++byte)
      all += sim::Utf16FromUtf8(sim::Utf8FromWindows1252(std::string(1, static_cast<char>(byte))));
    return std::unordered_set<char16_t>(all.begin(), all.end());
  }();
  const std::u16string value = fuzz::UnitsFromBytes(data, size);
  const std::u16string read = ReadByGateway(gateway::EncodeParameter(value));
  ORVULINK_FUZZ_CHECK(read.size() == value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
    ORVULINK_FUZZ_CHECK(read[i] == (carried.contains(value[i]) ? value[i] : u'?'));
  // The code page conversion the component uses elsewhere agrees with the encoder.
  ORVULINK_FUZZ_CHECK(platform::DecodeCp1252(platform::EncodeCp1252(value)) == read);

  core::ControlState state;
  state.UserNameDigest = u"digest-of-user";
  state.PasswordDigest = value;
  gateway::CommandString command(gateway::GatewayCommand::kSend, state);
  command.Field(u"QUERYDATA", value).Serial();
  const sim::ParseResult parsed = sim::ParseCommand(platform::Utf16ToUtf8(command.str()));
  ORVULINK_FUZZ_CHECK(parsed.command && parsed.command->fields.size() == 5);
  const std::vector<sim::CommandField>& fields = parsed.command->fields;
  ORVULINK_FUZZ_CHECK(fields[0].text == "14" && fields[1].text == "digest-of-user");
  ORVULINK_FUZZ_CHECK(sim::Utf16FromUtf8(fields[2].text) == read &&
                      fields[3].text == fields[2].text);
  ORVULINK_FUZZ_CHECK(sim::Utf16FromUtf8(fields[4].text) == gateway::SerialToken());
}

void ReadCommand(const std::uint8_t* data, std::size_t size) {
  const std::string_view body = fuzz::BytesAsText(data, size);
  // Decoded bytes escaped again decode to themselves; a body without "%" is its own value.
  const std::optional<std::string> decoded = sim::PercentDecode(body);
  if (decoded)
    ORVULINK_FUZZ_CHECK(sim::PercentDecode(testing::PercentEncoded(*decoded)) == decoded);
  if (body.find('%') == std::string_view::npos) ORVULINK_FUZZ_CHECK(decoded == body);
  const sim::ParseResult parsed = sim::ParseCommand(body);
  ORVULINK_FUZZ_CHECK(parsed.command.has_value() == parsed.error.empty());
  const sim::CommandField* sendData = nullptr;
  if (parsed.command) {
    std::string joined;
    for (const sim::CommandField& field : parsed.command->fields) {
      joined += (joined.empty() ? "" : "&") + field.name + "=" + field.raw;
      ORVULINK_FUZZ_CHECK(sim::PercentDecode(field.raw).has_value());
    }
    ORVULINK_FUZZ_CHECK(joined == body);
    sendData = parsed.command->Find("SENDDATA");
  }

  // SENDDATA as the send command reads it, from its value in the command or the whole input;
  // written out again as the component writes it, each line reads back the same.
  const auto lines = sim::ParseSendData(sendData ? std::string_view(sendData->raw) : body);
  if (!lines) return;
  const auto encoded = [](const std::string& utf8) {
    return testing::PercentEncoded(sim::Windows1252FromUtf8(utf8));
  };
  std::string again;
  for (const sim::SendLine& line : *lines) {
    std::string phones;
    for (const std::string& phone : line.recipients)
      phones += (phones.empty() ? "" : ",") + phone;
    char date[16] = "0000-00-00";
    char time[8] = "00:00";
    if (const auto& at = line.send_at) {
      std::snprintf(date, sizeof date, "%04d-%02d-%02d", at->year, at->month, at->day);
      std::snprintf(time, sizeof time, "%02d:%02d", at->hour, at->minute);
    }
    again += (again.empty() ? "" : "\r\n") + encoded(line.group) + "\t" + encoded(line.sender) +
             "\t" + encoded(phones) + "\t" + encoded(line.text) + "\t" + encoded(date) + "\t" +
             encoded(time);
  }
  const auto reread = sim::ParseSendData(again);
  ORVULINK_FUZZ_CHECK(reread && reread->size() == lines->size());
  for (std::size_t i = 0; i < lines->size(); ++i) {
    const sim::SendLine& a = (*lines)[i];
    const sim::SendLine& b = (*reread)[i];
    ORVULINK_FUZZ_CHECK(a.group == b.group && a.sender == b.sender && a.text == b.text &&
                        a.recipients == b.recipients &&
                        a.send_at.has_value() == b.send_at.has_value());
  }
}

std::vector<std::string> Converse(const std::vector<std::string_view>& bodies) {
  // A fixed start, so that delivery steps and dates are the same on every run.
  static sim::Gateway gateway(
      sim::DemoFixture(), std::string(sim::kDefaultSerial), sim::SimClock([] {
        return sim::SimTime(std::chrono::sys_days(std::chrono::year(2024) / 3 / 4));
      }));
  gateway.Reset();
  std::vector<std::string> pages;
  for (std::string_view body : bodies) {
    pages.push_back(sim::FramePage(gateway.Handle(body)));
    gateway.AdvanceClock(std::chrono::minutes(5));
  }
  (void)gateway.SettleDeliveries();
  (void)gateway.AccountsJson().dump();
  return pages;
}

void Conversation(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = fuzz::BytesAsText(data, size);
  std::vector<std::string_view> bodies;
  for (std::size_t end = 0; bodies.size() < 8 && end != std::string_view::npos;) {
    end = rest.find('\0');
    bodies.push_back(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  ORVULINK_FUZZ_CHECK(Converse(bodies) == Converse(bodies));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr void (*kChecks[])(const std::uint8_t*, std::size_t) = {Encode, ReadCommand,
                                                                          Conversation};
  if (size > 0) kChecks[data[0] % std::size(kChecks)](data + 1, size - 1);
  return 0;
}
