// Text helpers over UTF-16 code units, with the semantics the component's algorithms are
// written in (1-based positions where a position is returned, 0 for "not found").
#pragma once

#include <orvulink/automation.hpp>

#include "platform/unit_scan.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace orvulink::platform {

// UTF-8 <-> UTF-16; invalid UTF-8 becomes U+FFFD, an unpaired surrogate becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view units);

// Windows-1252, the gateway's code page: a unit it cannot hold becomes "?".
std::string EncodeCp1252(std::u16string_view text);
std::u16string DecodeCp1252(std::string_view bytes);
// One code unit's Windows-1252 byte, or '?' when it has none.
unsigned char Cp1252Byte(char16_t unit);

// Every occurrence of `from` (non-empty) replaced by `to`, scanning left to right.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to);
// As Split, the pieces viewing `text` rather than copied.
std::vector<std::u16string_view> SplitViews(std::u16string_view text,
                                            std::u16string_view separator);
// Split at every `separator` (non-empty). An empty text gives no pieces at all; otherwise
// n separators give n + 1 pieces.
std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view separator);
// 0-based position of the first `unit` at or after `from`, npos when absent. Answers run to
// hundreds of kilobytes: blocks without the unit are passed over whole.
std::size_t FindUnit(std::u16string_view text, char16_t unit, std::size_t from = 0) noexcept;
// As std::u16string_view::find, on FindUnit (npos for an empty needle too).
std::size_t FindText(std::u16string_view text, std::u16string_view needle,
                     std::size_t from = 0) noexcept;
// As SplitViews, without a vector: `piece` is called with each piece in turn.
template <class Piece>
void ForEachPiece(std::u16string_view text, std::u16string_view separator, Piece piece) {
  if (text.empty()) return;
  std::size_t start = 0;
  if (separator.size() == 1) {  // the separators of answer fields: one pass over the text
    ForEachMatch(text, separator[0], separator[0], [&](std::size_t at) {
      piece(text.substr(start, at - start));
      start = at + 1;
      return true;
    });
    piece(text.substr(start));
    return;
  }
  for (auto hit = FindText(text, separator); hit != std::u16string_view::npos;
       hit = FindText(text, separator, start)) {
    piece(text.substr(start, hit - start));
    start = hit + separator.size();
  }
  piece(text.substr(start));
}
// As SplitViews, the first pieces written to `first`; returns the count of all the pieces.
template <std::size_t N>
std::size_t SplitFirst(std::u16string_view text, std::u16string_view separator,
                       std::u16string_view (&first)[N]) {
  std::size_t count = 0;
  ForEachPiece(text, separator, [&](std::u16string_view piece) {
    if (count < N) first[count] = piece;
    ++count;
  });
  return count;
}
// Leading and trailing spaces (U+0020 only) removed.
std::u16string TrimSpaces(std::u16string_view text);
// Leading and trailing characters of `blanks` removed (settings files).
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = " \t");
// 1-based position of the first `needle` at or after `start` (1-based), 0 when absent.
std::size_t Find(std::u16string_view text, std::u16string_view needle, std::size_t start = 1);
// Key folding for keys compared without regard to letter case.
std::u16string FoldCase(std::u16string_view text);
// FoldCase(a) == FoldCase(b), without building either.
bool EqualFolded(std::u16string_view a, std::u16string_view b);

// Decimal text of a number.
std::u16string ToDecimal(long long value);

}  // namespace orvulink::platform
