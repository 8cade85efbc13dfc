// EncodeParameter against an independent reader: the simulator's own %-decoder and code-page
// table. Every unit must come back as itself, or as "?" when the gateway's code page has no byte
// for it; and a whole command string must split into the fields it was built from.
#include "fuzz_support.hpp"
#include "gateway/command.hpp"
#include "platform/text.hpp"
#include "sim/command_parser.hpp"
#include "sim/utf8.hpp"
#include "sim/windows1252.hpp"

#include <array>
#include <unordered_set>

namespace {

using namespace orvulink;

// The units the code page can carry, read off the simulator's table byte by byte.
const std::unordered_set<char16_t>& CodePageUnits() {
  static const std::unordered_set<char16_t> units = [] {
    std::unordered_set<char16_t> all;
    for (int byte = 0; byte < 256; ++byte) {
      const std::string one(1, static_cast<char>(byte));
      for (char16_t unit : sim::Utf16FromUtf8(sim::Utf8FromWindows1252(one)))
        all.insert(unit);
    }
    return all;
  }();
  return units;
}

bool IsUpperHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

// What the gateway reads for `value`: its own decoding of the encoded text, as UTF-16.
std::u16string ReadByGateway(const std::u16string& encoded) {
  const auto bytes = sim::PercentDecode(platform::Utf16ToUtf8(encoded));
  ORVULINK_FUZZ_CHECK(bytes.has_value());
  return sim::Utf16FromUtf8(sim::Utf8FromWindows1252(*bytes));
}

void CheckEncoding(std::u16string_view value) {
  const std::u16string encoded = gateway::EncodeParameter(value);
  ORVULINK_FUZZ_CHECK(encoded.size() == 3 * value.size());
  for (std::size_t i = 0; i < encoded.size(); i += 3) {
    ORVULINK_FUZZ_CHECK(encoded[i] == u'%');
    ORVULINK_FUZZ_CHECK(IsUpperHex(encoded[i + 1]) && IsUpperHex(encoded[i + 2]));
  }
  const std::u16string read = ReadByGateway(encoded);
  ORVULINK_FUZZ_CHECK(read.size() == value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const bool carried = CodePageUnits().contains(value[i]);
    ORVULINK_FUZZ_CHECK(read[i] == (carried ? value[i] : u'?'));
  }
  // The code page conversion the component uses elsewhere agrees with the encoder.
  ORVULINK_FUZZ_CHECK(platform::DecodeCp1252(platform::EncodeCp1252(value)) == read);
}

void CheckCommandString(std::u16string_view value) {
  core::ControlState state;
  state.UserNameDigest = u"digest-of-user";
  state.PasswordDigest = value;
  gateway::CommandString command(gateway::GatewayCommand::kSend, state);
  command.Field(u"QUERYDATA", value).Serial();
  const sim::ParseResult parsed = sim::ParseCommand(platform::Utf16ToUtf8(command.str()));
  ORVULINK_FUZZ_CHECK(parsed.command.has_value());
  const std::vector<sim::CommandField>& fields = parsed.command->fields;
  const std::array<const char*, 5> names = {"CMD", "UID", "PWD", "QUERYDATA", "SERIAL"};
  ORVULINK_FUZZ_CHECK(fields.size() == names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    ORVULINK_FUZZ_CHECK(fields[i].name == names[i]);
  ORVULINK_FUZZ_CHECK(fields[0].text == "14");
  ORVULINK_FUZZ_CHECK(fields[1].text == "digest-of-user");
  ORVULINK_FUZZ_CHECK(sim::Utf16FromUtf8(fields[2].text) ==
                      ReadByGateway(gateway::EncodeParameter(value)));
  ORVULINK_FUZZ_CHECK(fields[2].text == fields[3].text);
  ORVULINK_FUZZ_CHECK(sim::Utf16FromUtf8(fields[4].text) == gateway::SerialToken());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string value = fuzz::UnitsFromBytes(data, size);
  CheckEncoding(value);
  CheckCommandString(value);
  return 0;
}
