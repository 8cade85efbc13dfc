// The Windows headers for the platform layer, without the macros that would rename the
// component's own members (MessageBox, PostThreadMessage) in the files that include them.
#pragma once

#include <windows.h>

#undef MessageBox
#undef PostThreadMessage

#include <string>
#include <string_view>

namespace orvulink::platform::win32 {

// Automation text and the system's wide strings are both UTF-16.
inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}
inline std::u16string Narrow16(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace orvulink::platform::win32
