// The command string. Every value travels percent-encoded, one "%XX" per character, so that
// the gateway reads each field byte for byte in its own code page.
#include "gateway/command.hpp"

#include "core/control_state.hpp"
#include "platform/text.hpp"

namespace orvulink::gateway {
std::u16string EncodeParameter(std::u16string_view value) {
  std::u16string encoded;
  AppendEncodedParameter(encoded, value);
  return encoded;
}

void AppendEncodedParameter(std::u16string& out, std::u16string_view value) {
  static constexpr std::u16string_view kHexDigits = u"0123456789ABCDEF";
  // Written in place: a send's recipients make this the longest field by far.
  const std::size_t at = out.size();
  out.resize(at + value.size() * 3, u'%');
  char16_t* written = out.data() + at;
  for (char16_t unit : value) {
    const unsigned char byte =
        unit < 0x80 ? static_cast<unsigned char>(unit) : platform::Cp1252Byte(unit);
    written[1] = kHexDigits[byte >> 4];
    written[2] = kHexDigits[byte & 0x0F];
    written += 3;
  }
}

const std::u16string& SerialToken() {
  static const std::u16string kToken = u"OL7R2K9Q4M1X8C5V3N6B";
  return kToken;
}

CommandString::CommandString(GatewayCommand command, const core::ControlState& state)
    : text_(u"CMD=" + platform::ToDecimal(static_cast<int>(command))) {
  Field(u"UID", state.UserNameDigest);
  Field(u"PWD", state.PasswordDigest);
}

CommandString& CommandString::Field(std::u16string_view name, std::u16string_view value) {
  text_ += u'&';
  text_ += name;
  text_ += u'=';
  AppendEncodedParameter(text_, value);
  return *this;
}

CommandString& CommandString::Serial() {
  return Field(u"SERIAL", SerialToken());
}

CommandString& CommandString::Raw(std::u16string_view text) {
  text_ += text;
  return *this;
}

}  // namespace orvulink::gateway
