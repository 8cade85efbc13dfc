// The command string: common head, encoded fields, the serial field.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::gateway {

// Every character becomes "%" and two upper-case hexadecimal digits of its Windows-1252 code
// ("?" for a character the code page cannot hold).
std::u16string EncodeParameter(std::u16string_view value);

// The component's fixed serial token (20 digits and capital letters).
const std::u16string& SerialToken();

// Builds "CMD=n&UID=..&PWD=.." and appends fields in the caller's order.
class CommandString {
 public:
  // The head from the calling thread's digests.
  explicit CommandString(int command);
  CommandString(int command, std::u16string_view userNameDigest,
                std::u16string_view passwordDigest);

  CommandString& Field(std::u16string_view name, std::u16string_view value);  // "&NAME=" + enc
  CommandString& Serial();                       // "&SERIAL=" + enc(token)
  CommandString& Raw(std::u16string_view text);  // appended as it stands
  const std::u16string& str() const noexcept { return text_; }

 private:
  std::u16string text_;
};

}  // namespace orvulink::gateway
