// Shared pieces of the fuzz targets: how input bytes become component text, the check that
// turns a violated invariant into a finding, and the one failure bad input may cause.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include <chrono>
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
  for (std::size_t i = 0, length = 1; i < size; i += length) {
    const std::uint8_t lead = data[i];
    length = lead >= 0xF5 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    char32_t cp = length == 1 ? lead : lead & (0x7Fu >> length);
    bool wellFormed = i + length <= size;
    for (std::size_t k = 1; wellFormed && k < length; ++k) {
      wellFormed = (data[i + k] & 0xC0u) == 0x80u;
      cp = (cp << 6) | (data[i + k] & 0x3Fu);
    }
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (length > 1 && (!wellFormed || cp < smallest || cp > 0x10FFFF)) {
      length = 1;
      cp = lead;
    }
    if (cp >= 0x10000) {
      units += {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
    } else {
      units += static_cast<char16_t>(cp);
    }
  }
  return units;
}

inline std::string_view BytesAsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Runs `body`; an automation error is an accepted answer to bad input and its number is returned
// (0 when none was raised). Any other exception escapes, and libFuzzer reports it.
template <class Body>
std::int32_t RaisedNumber(Body&& body) {
  try {
    body();
  } catch (const AutomationError& error) {
    return error.Number();
  }
  return 0;
}

// A clock that stands still and pauses that take no time: the same dates on every run, and no
// waiting between retries.
struct StillClock : platform::Clock {
  Date Now() override { return Date::FromParts({2024, 3, 4, 5, 6, 7}); }
  void Sleep(std::chrono::milliseconds) override {}
};

}  // namespace orvulink::fuzz
