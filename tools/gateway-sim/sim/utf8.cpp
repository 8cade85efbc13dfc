#include "sim/utf8.hpp"

namespace orvulink::sim {
namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0U) == 0x80U;
}

// Length of the sequence a lead byte announces, 0 for a byte that cannot lead.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80U) return 1;
  if (lead >= 0xC2U && lead <= 0xDFU) return 2;
  if (lead >= 0xE0U && lead <= 0xEFU) return 3;
  if (lead >= 0xF0U && lead <= 0xF4U) return 4;
  return 0;
}

// The smallest code point each length may carry; shorter forms are overlong.
char32_t MinimumFor(std::size_t length) {
  switch (length) {
    case 2:
      return 0x80;
    case 3:
      return 0x800;
    case 4:
      return 0x10000;
    default:
      return 0;
  }
}

// Decodes one sequence at the start of `text`; sets `used` to the bytes it covers.
char32_t DecodeOne(std::string_view text, std::size_t& used) {
  used = 1;
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = SequenceLength(lead);
  if (length == 0 || length > text.size()) return kReplacementCharacter;
  if (length == 1) return lead;
  char32_t value = lead & (0xFFU >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (!IsContinuation(byte)) return kReplacementCharacter;
    value = (value << 6) | (byte & 0x3FU);
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  if (value < MinimumFor(length) || value > 0x10FFFF || surrogate) return kReplacementCharacter;
  used = length;
  return value;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  while (!text.empty()) {
    std::size_t used = 0;
    out.push_back(DecodeOne(text, used));
    text.remove_prefix(used);
  }
  return out;
}

void AppendUtf8(char32_t code_point, std::string& out) {
  if ((code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF) {
    code_point = kReplacementCharacter;
  }
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  for (const char32_t code_point : DecodeUtf8(text)) {
    if (code_point < 0x10000) {
      out.push_back(static_cast<char16_t>(code_point));
      continue;
    }
    const char32_t offset = code_point - 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
  }
  return out;
}

}  // namespace orvulink::sim
