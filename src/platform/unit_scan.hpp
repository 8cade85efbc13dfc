// Finding code units eight at a time (SSE2 where the target has it, a plain loop elsewhere):
// answers run to hundreds of kilobytes, and their entries are split thousands of times.
#pragma once

#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvulink::platform {

inline constexpr std::size_t kScanLanes = 8;

// Bit 2i set where units[i] (i < 8) is `a` or `b`.
inline unsigned LaneMatches(const char16_t* units, char16_t a, char16_t b) noexcept {
#if defined(__SSE2__)
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
  const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16(static_cast<short>(a))),
                                    _mm_cmpeq_epi16(block, _mm_set1_epi16(static_cast<short>(b))));
  return static_cast<unsigned>(_mm_movemask_epi8(hits)) & 0x5555u;
#else
  unsigned mask = 0;
  for (std::size_t i = 0; i < kScanLanes; ++i) {
    if (units[i] == a || units[i] == b) mask |= 1u << (2 * i);
  }
  return mask;
#endif
}

// Calls hit(position) for each unit of `text` from `from` on that is `a` or `b`, in order,
// until hit returns false.
template <class Hit>
void ForEachMatch(std::u16string_view text, char16_t a, char16_t b, Hit hit, std::size_t from = 0) {
  const char16_t* const data = text.data();
  std::size_t at = from;
  for (; at + kScanLanes <= text.size(); at += kScanLanes) {
    for (unsigned mask = LaneMatches(data + at, a, b); mask != 0; mask &= mask - 1) {
      if (!hit(at + static_cast<std::size_t>(std::countr_zero(mask)) / 2)) return;
    }
  }
  for (; at < text.size(); ++at) {
    if ((data[at] == a || data[at] == b) && !hit(at)) return;
  }
}

}  // namespace orvulink::platform
