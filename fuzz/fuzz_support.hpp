// Shared pieces of the fuzz targets: how input bytes become component text, and the check that
// turns a violated invariant into a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace orvulink::fuzz {

// A wrong result is a finding like a crash: say which invariant failed, then abort so that
// libFuzzer keeps the input.
[[noreturn]] inline void Violated(const char* what, const char* file, int line) {
  std::fprintf(stderr, "invariant violated: %s (%s:%d)\n", what, file, line);
  std::fflush(stderr);
  std::abort();
}

#define ORVULINK_FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : ::orvulink::fuzz::Violated(#condition, __FILE__, __LINE__))

// Bytes to UTF-16 code units, so that the dictionary's ASCII tokens read as themselves and every
// unit stays reachable: a well-formed UTF-8 sequence gives its code point (surrogates included,
// so a lone surrogate can be written as ED A0 80), every other byte gives the unit of the same
// value.
inline std::u16string UnitsFromBytes(const std::uint8_t* data, std::size_t size) {
  std::u16string units;
  units.reserve(size);
  std::size_t i = 0;
  while (i < size) {
    const std::uint8_t lead = data[i];
    std::size_t length = 1;
    char32_t cp = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      cp = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      cp = lead & 0x07u;
    }
    bool wellFormed = length == 1 || i + length <= size;
    for (std::size_t k = 1; wellFormed && k < length; ++k) {
      const std::uint8_t next = data[i + k];
      wellFormed = (next & 0xC0u) == 0x80u;
      cp = (cp << 6) | (next & 0x3Fu);
    }
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (length > 1 && (!wellFormed || cp < smallest || cp > 0x10FFFF)) {
      length = 1;
      cp = lead;
    }
    if (cp >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(cp));
    }
    i += length;
  }
  return units;
}

inline std::string_view BytesAsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace orvulink::fuzz
