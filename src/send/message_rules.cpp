#include "send/message_rules.hpp"

#include "gateway/phone.hpp"
#include "platform/conversions.hpp"
#include "platform/date_text.hpp"
#include "platform/text.hpp"
#include "send/message_alphabet.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace orvulink::send {
namespace {

constexpr std::size_t kPartLength = 157;
constexpr std::size_t kLongestWord = kPartLength - 1;
constexpr std::size_t kMinNumericSender = 7;
constexpr std::size_t kMaxNumericSender = 15;
constexpr std::size_t kMinNamedSender = 3;
constexpr std::size_t kMaxNamedSender = 11;

// Pieces to delete from a text. They all start with an ASCII unit: a table of those units is
// made once, at compile time, and a text is walked against it; the pieces are compared only
// where one of them may start, so a clean text costs one pass.
template <std::size_t N>
struct Deletions {
  std::array<std::u16string_view, N> pieces;
  std::array<std::uint64_t, 2> starts{};

  constexpr explicit Deletions(std::array<std::u16string_view, N> list) : pieces(list) {
    for (std::u16string_view piece : pieces) {
      if (piece.empty() || piece.front() >= 128) throw "a piece must start with an ASCII unit";
      starts[piece.front() / 64] |= std::uint64_t{1} << (piece.front() % 64);
    }
  }

  bool AnyIn(std::u16string_view text) const noexcept {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t unit = text[i];
      if (unit >= 128 || (starts[unit / 64] >> (unit % 64) & 1) == 0) continue;
      for (std::u16string_view piece : pieces) {
        if (text.substr(i).starts_with(piece)) return true;
      }
    }
    return false;
  }
};

constexpr Deletions<6> kRecipientDeletions(std::array<std::u16string_view, 6>{u"\b", u",", u"\t",
                                                                              u"\r\n", u" ", u";"});
constexpr Deletions<4> kSenderDeletions(std::array<std::u16string_view, 4>{u"\b", u",", u"\t",
                                                                           u"\r\n"});

template <std::size_t N>
std::u16string DeleteAll(std::u16string text, const Deletions<N>& deletions) {
  if (!deletions.AnyIn(text)) return text;
  for (std::u16string_view piece : deletions.pieces) {
    if (text.find(piece) != std::u16string::npos) text = platform::ReplaceAll(text, piece, u"");
  }
  return text;
}

bool LengthWithin(std::size_t length, std::size_t low, std::size_t high) {
  return length >= low && length <= high;
}

// Words longer than a part are cut into part-sized pieces.
std::vector<std::u16string> BreakLongWords(const std::vector<std::u16string>& words) {
  std::vector<std::u16string> pieces;
  pieces.reserve(words.size());
  for (const std::u16string& word : words) {
    std::u16string_view rest = word;
    while (rest.size() > kLongestWord) {
      pieces.emplace_back(rest.substr(0, kLongestWord));
      rest.remove_prefix(kLongestWord);
    }
    pieces.emplace_back(rest);
  }
  return pieces;
}

std::int16_t PackIntoParts(const std::vector<std::u16string>& words) {
  std::int16_t parts = 1;
  std::size_t current = 0;
  for (const std::u16string& word : words) {
    // The space is counted even in an empty part, so a part never reaches 157 by one word.
    if (word.size() + 1 + current > kPartLength) {
      ++parts;
      current = 0;
    }
    current = current == 0 ? word.size() : current + 1 + word.size();
  }
  return parts;
}

std::u16string JoinWithSpaces(const std::vector<std::u16string>& words) {
  std::u16string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += u' ';
    text += words[i];
  }
  return text;
}

std::optional<std::u16string> FormatSendDate(Date value) {
  if (value.IsZero()) return std::u16string(kSendNow);
  // A value within day zero carries only a time of day.
  if (!std::isfinite(value.value) || std::fabs(value.value) < 1.0) return std::nullopt;
  DateParts parts;
  try {
    parts = value.ToParts();
  } catch (const AutomationError&) {
    return std::nullopt;  // outside the calendar the platform knows
  }
  // Rounded to the second, the last instant of 1899-12-29 lands on day zero: a text of that day
  // would read back as the zero date, so it is only a time of day like any other on day zero.
  const DateParts dayZero;
  if (parts.year == dayZero.year && parts.month == dayZero.month && parts.day == dayZero.day) {
    return std::nullopt;
  }
  return platform::Utf8ToUtf16(
      platform::FormatDateParts(parts, platform::DateLayout::kToTheMinute));
}

}  // namespace

CheckedRecipient CheckRecipient(std::u16string_view text) {
  std::u16string phone(text);
  const bool valid = gateway::NormalizePhoneGsm(phone);
  return {DeleteAll(std::move(phone), kRecipientDeletions), valid};
}

std::optional<std::u16string> CheckSender(std::u16string_view text) {
  std::u16string sender = DeleteAll(std::u16string(text), kSenderDeletions);
  if (sender.empty()) return std::nullopt;
  if (!platform::IsNumeric(sender)) {
    if (!LengthWithin(sender.size(), kMinNamedSender, kMaxNamedSender)) return std::nullopt;
    return sender;
  }
  if (sender.starts_with(u"00")) sender.erase(0, 2);
  if (sender.starts_with(u'+')) sender.erase(0, 1);
  if (!LengthWithin(sender.size(), kMinNumericSender, kMaxNumericSender)) return std::nullopt;
  return sender;
}

std::optional<std::u16string> SendDateText(Date value) {
  // The members of a send accepted at once all take the clock's time, mostly the same value:
  // the last one is remembered. NaN never matches; 0 and -0 both mean "at once".
  thread_local double lastValue = std::nan("");
  thread_local std::optional<std::u16string> lastText;
  if (value.value != lastValue) {
    lastText = FormatSendDate(value);
    lastValue = value.value;
  }
  return lastText;
}

bool SendsNow(std::u16string_view dateText) {
  // Runs per message while an answer is applied: compared in place, ASCII letters folded.
  if (dateText.size() != kSendNow.size()) return false;
  for (std::size_t i = 0; i < dateText.size(); ++i) {
    const char16_t c = dateText[i];
    if ((c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c) != kSendNow[i]) return false;
  }
  return true;
}

Date DateFromSendDateText(std::u16string_view text) {
  const std::string ascii = platform::Utf16ToUtf8(text);
  DateParts parts;
  if (std::sscanf(ascii.c_str(), "%4d-%2d-%2d %2d:%2d", &parts.year, &parts.month, &parts.day,
                  &parts.hour, &parts.minute) != 5) {
    return Date{};
  }
  parts.second = 0;
  return Date::FromParts(parts);
}

std::u16string FilterMessageText(std::u16string_view text) {
  const std::u16string cut(text.substr(0, kMaxTextLength));
  std::u16string filtered;
  filtered.reserve(cut.size());
  for (char16_t unit : platform::ReplaceAll(cut, u"\r\n", u"\r")) {
    if (InMessageAlphabet(unit)) filtered += unit;
  }
  return filtered;
}

CountedText CountParts(std::u16string_view text) {
  const std::vector<std::u16string> words = BreakLongWords(platform::Split(text, u" "));
  return {JoinWithSpaces(words), PackIntoParts(words)};
}

}  // namespace orvulink::send
