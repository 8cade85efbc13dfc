// BStr: automation text held as UTF-16 code units, made from and read as UTF-8.
#include <orvulink/automation.hpp>

#include "platform/text.hpp"

#include <utility>

namespace orvulink {

BStr::BStr(const char* utf8) : units_(utf8 ? platform::Utf8ToUtf16(utf8) : std::u16string()) {}
BStr::BStr(const std::string& utf8) : units_(platform::Utf8ToUtf16(utf8)) {}
BStr::BStr(std::string_view utf8) : units_(platform::Utf8ToUtf16(utf8)) {}
BStr::BStr(std::u16string units) : units_(std::move(units)) {}
BStr::BStr(const char16_t* units) : units_(units ? std::u16string(units) : std::u16string()) {}
BStr::BStr(std::u16string_view units) : units_(units) {}

std::string BStr::utf8() const {
  return platform::Utf16ToUtf8(units_);
}

}  // namespace orvulink
