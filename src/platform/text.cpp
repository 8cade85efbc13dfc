// Text helpers over UTF-16 code units: the UTF-8 and Windows-1252 conversions and the small
// string operations the component's algorithms are written in.
#include "platform/text.hpp"

#include "platform/unit_scan.hpp"

#include <array>
#include <charconv>

namespace orvulink::platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t cp) {
  auto byte = [&out](char32_t b) { out.push_back(static_cast<char>(b)); };
  if (cp < 0x80) {
    byte(cp);
  } else if (cp < 0x800) {
    byte(0xC0 | (cp >> 6));
    byte(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    byte(0xE0 | (cp >> 12));
    byte(0x80 | ((cp >> 6) & 0x3F));
    byte(0x80 | (cp & 0x3F));
  } else {
    byte(0xF0 | (cp >> 18));
    byte(0x80 | ((cp >> 12) & 0x3F));
    byte(0x80 | ((cp >> 6) & 0x3F));
    byte(0x80 | (cp & 0x3F));
  }
}

// What a UTF-8 lead byte promises: how many continuation bytes follow and the range the first
// of them must lie in. The narrowed ranges exclude overlongs, surrogates and values above
// U+10FFFF, so a sequence that completes is always a valid scalar value.
struct LeadByte {
  int continuations = -1;  // -1: not a lead byte
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  char32_t bits = 0;
};

LeadByte ClassifyLead(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF, b & 0x1Fu};
  if (b == 0xE0) return {2, 0xA0, 0xBF, 0};
  if (b == 0xED) return {2, 0x80, 0x9F, 0xD};
  if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF, b & 0x0Fu};
  if (b == 0xF0) return {3, 0x90, 0xBF, 0};
  if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF, b & 0x07u};
  if (b == 0xF4) return {3, 0x80, 0x8F, 4};
  return {};
}

// Decodes one sequence at `pos`; on an invalid or truncated one, consumes its maximal valid
// prefix (at least one byte) and yields U+FFFD for it.
char32_t DecodeOne(std::string_view utf8, std::size_t& pos) {
  const auto first = static_cast<unsigned char>(utf8[pos++]);
  if (first < 0x80) return first;
  const auto lead = ClassifyLead(first);
  if (lead.continuations < 0) return kReplacement;
  char32_t cp = lead.bits;
  unsigned char low = lead.low;
  unsigned char high = lead.high;
  for (int i = 0; i < lead.continuations; ++i) {
    if (pos >= utf8.size()) return kReplacement;
    const auto b = static_cast<unsigned char>(utf8[pos]);
    if (b < low || b > high) return kReplacement;
    cp = (cp << 6) | (b & 0x3Fu);
    ++pos;
    low = 0x80;
    high = 0xBF;
  }
  return cp <= kMaxCodePoint ? cp : kReplacement;
}

// Windows-1252 bytes 0x80-0x9F. The five bytes the code page leaves undefined map to the C1
// control of the same value, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252Unit(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kCp1252High[byte - 0x80];
  return byte;
}

// Upper-case partner within Latin Extended-A, where letters come in adjacent pairs.
char16_t FoldLatinExtendedA(char16_t c) {
  const bool evenUpper =
      (c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177);
  if (evenUpper) return (c & 1) ? static_cast<char16_t>(c - 1) : c;
  const bool oddUpper = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
  if (oddUpper) return (c & 1) ? c : static_cast<char16_t>(c - 1);
  return c;
}

char16_t FoldGreek(char16_t c) {
  if (c == 0x03C2) return 0x03A3;  // final sigma
  if (c >= 0x03B1 && c <= 0x03CB) return static_cast<char16_t>(c - 0x20);
  if (c == 0x03AC) return 0x0386;
  if (c >= 0x03AD && c <= 0x03AF) return static_cast<char16_t>(c - 0x25);
  if (c == 0x03CC) return 0x038C;
  if (c == 0x03CD || c == 0x03CE) return static_cast<char16_t>(c - 0x3F);
  return c;
}

char16_t FoldCyrillic(char16_t c) {
  if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
  return c;
}

char16_t FoldUnit(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c < 0x00E0) return c;
  if (c <= 0x00FE) return c == 0x00F7 ? c : static_cast<char16_t>(c - 0x20);
  if (c == 0x00FF) return 0x0178;
  if (c <= 0x017F) return FoldLatinExtendedA(c);
  if (c >= 0x0386 && c <= 0x03CE) return FoldGreek(c);
  if (c >= 0x0430 && c <= 0x045F) return FoldCyrillic(c);
  return c;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size())
    AppendCodePoint(out, DecodeOne(utf8, pos));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      const char32_t cp = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      AppendUtf8(out, cp);
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

unsigned char Cp1252Byte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<unsigned char>(unit);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == unit) return static_cast<unsigned char>(0x80 + i);
  }
  return '?';
}

// Commands and answers are nearly all ASCII: each conversion tests the whole text first and
// copies it unit for unit when nothing needs the table. Both loops are plain enough for the
// compiler to turn into vector code.
std::string EncodeCp1252(std::u16string_view text) {
  const char16_t* const units = text.data();
  const std::size_t size = text.size();
  unsigned above = 0;  // the bits of every unit above ASCII's
  for (std::size_t i = 0; i < size; ++i)
    above |= units[i] & 0xFF80u;
  std::string out(size, '\0');
  char* const bytes = out.data();
  if (above == 0) {
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<char>(units[i]);
    return out;
  }
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>(Cp1252Byte(units[i]));
  return out;
}

std::u16string DecodeCp1252(std::string_view text) {
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  unsigned char tabled = 0;  // non-zero once a byte 0x80-0x9F is seen
  for (std::size_t i = 0; i < size; ++i)
    tabled |= static_cast<unsigned char>(bytes[i] - 0x80u) < 0x20u;
  std::u16string out(size, u'\0');
  char16_t* const units = out.data();
  if (tabled == 0) {
    for (std::size_t i = 0; i < size; ++i)
      units[i] = bytes[i];
    return out;
  }
  for (std::size_t i = 0; i < size; ++i)
    units[i] = Cp1252Unit(bytes[i]);
  return out;
}

std::size_t FindUnit(std::u16string_view text, char16_t unit, std::size_t from) noexcept {
  std::size_t found = std::u16string_view::npos;
  ForEachMatch(
      text, unit, unit,
      [&found](std::size_t at) {
        found = at;
        return false;
      },
      from);
  return found;
}

std::size_t FindText(std::u16string_view text, std::u16string_view needle,
                     std::size_t from) noexcept {
  if (needle.empty()) return std::u16string_view::npos;
  const std::u16string_view rest = needle.substr(1);
  for (std::size_t at = FindUnit(text, needle.front(), from); at != std::u16string_view::npos;
       at = FindUnit(text, needle.front(), at + 1)) {
    if (text.substr(at + 1, rest.size()) == rest) return at;
  }
  return std::u16string_view::npos;
}

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to) {
  if (from.empty()) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (auto hit = FindText(text, from); hit != std::u16string_view::npos;
       hit = FindText(text, from, start)) {
    out.append(text.substr(start, hit - start)).append(to);
    start = hit + from.size();
  }
  out.append(text.substr(start));
  return out;
}

std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view separator) {
  const std::vector<std::u16string_view> views = SplitViews(text, separator);
  return std::vector<std::u16string>(views.begin(), views.end());
}

std::vector<std::u16string_view> SplitViews(std::u16string_view text,
                                            std::u16string_view separator) {
  std::vector<std::u16string_view> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t start = 0;
  for (auto hit = FindText(text, separator); hit != std::u16string_view::npos;
       hit = FindText(text, separator, start)) {
    pieces.emplace_back(text.substr(start, hit - start));
    start = hit + separator.size();
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

std::u16string TrimSpaces(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const auto last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}

std::string_view TrimBlanks(std::string_view text, std::string_view blanks) {
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

std::size_t Find(std::u16string_view text, std::u16string_view needle, std::size_t start) {
  if (start == 0) start = 1;
  if (start > text.size() + 1) return 0;
  if (needle.empty()) return start;
  const auto hit = FindText(text, needle, start - 1);
  return hit == std::u16string_view::npos ? 0 : hit + 1;
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& unit : out)
    unit = FoldUnit(unit);
  return out;
}

bool EqualFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldUnit(a[i]) != FoldUnit(b[i])) return false;
  }
  return true;
}

std::u16string ToDecimal(long long value) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  return std::u16string(digits.data(), result.ptr);
}

}  // namespace orvulink::platform
