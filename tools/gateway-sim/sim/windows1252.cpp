#include "sim/windows1252.hpp"

#include <array>

#include "sim/utf8.hpp"

namespace orvulink::sim {
namespace {

// Characters of the bytes 0x80 to 0x9F; an unassigned byte keeps its own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CharacterOf(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80U];
  return byte;
}

// The byte of a character, or "?" when the code page has none.
char ByteOf(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    return static_cast<char>(character);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == character) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string Utf8FromWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char byte : bytes)
    AppendUtf8(CharacterOf(static_cast<unsigned char>(byte)), out);
  return out;
}

std::string Windows1252FromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t character : DecodeUtf8(text))
    out.push_back(ByteOf(character));
  return out;
}

}  // namespace orvulink::sim
