#include "page/code_points.hpp"

namespace orvulink::cli {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u32string CodePoints(const BStr& text) {
  const std::u16string& units = text.str();
  std::u32string points;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      points += 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else {
      points += IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit;
    }
  }
  return points;
}

BStr FromCodePoints(std::u32string_view text) {
  std::u16string units;
  for (char32_t point : text) {
    if (point >= 0x110000 || (point >= 0xD800 && point <= 0xDFFF)) point = kReplacement;
    if (point < 0x10000) {
      units += static_cast<char16_t>(point);
    } else {
      units += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    }
  }
  return BStr(std::move(units));
}

std::string Utf8(std::u32string_view text) {
  return FromCodePoints(text).utf8();
}

}  // namespace orvulink::cli
