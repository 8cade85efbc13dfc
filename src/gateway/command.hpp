// The command string: common head, encoded fields, the serial field.
#pragma once

#include "core/control_state.hpp"

#include <string>
#include <string_view>

namespace orvulink::gateway {

// Every character becomes "%" and two upper-case hexadecimal digits of its Windows-1252 code
// ("?" for a character the code page cannot hold).
std::u16string EncodeParameter(std::u16string_view value);
// The same, appended to `out`: a long field is then written once, where it goes.
void AppendEncodedParameter(std::u16string& out, std::u16string_view value);

// The component's fixed serial token (20 digits and capital letters).
const std::u16string& SerialToken();

// The gateway's command numbers.
enum class GatewayCommand : int {
  kCredit = 2,
  kDownload = 4,
  kDownloadCheck = 5,
  kWaitingCount = 6,
  kUserInfo = 7,
  kDelete = 9,
  kSend = 14,
  kStatus = 15,
  kAutoResponderQuery = 16,
  kAutoResponderChange = 17,
};

// Builds "CMD=n&UID=..&PWD=.." from the state's digests and appends fields in the caller's
// order.
class CommandString {
 public:
  CommandString(GatewayCommand command, const core::ControlState& state);

  CommandString& Field(std::u16string_view name, std::u16string_view value);  // "&NAME=" + enc
  CommandString& Serial();                       // "&SERIAL=" + enc(token)
  CommandString& Raw(std::u16string_view text);  // appended as it stands
  const std::u16string& str() const noexcept { return text_; }

 private:
  std::u16string text_;
};

}  // namespace orvulink::gateway
