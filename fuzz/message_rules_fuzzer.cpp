// The text rules of an outgoing message, checked against references written from the documented
// rules: the filter keeps exactly the message alphabet (and is idempotent), and the part count
// packs whole words into parts of at most 157 characters.
#include "fuzz_support.hpp"
#include "send/message_rules.hpp"

#include <string>
#include <vector>

namespace {

using namespace orvulink;

constexpr std::size_t kPartLength = 157;
constexpr std::size_t kLongestWord = 156;

// CR, space, printable ASCII but "[\]^`{|}~", and the 29 letters and signs of the GSM alphabet.
bool Allowed(char16_t c) {
  static constexpr std::u16string_view kExcluded = u"[\\]^`{|}~";
  static constexpr std::u16string_view kLetters =
      u"\u00A1\u00A3\u00A4\u00A5\u00A7\u00BF\u00C4\u00C5\u00C6\u00C7\u00C9\u00D1\u00D6\u00D8"
      u"\u00DC\u00DF\u00E0\u00E4\u00E5\u00E6\u00E8\u00E9\u00EC\u00F1\u00F2\u00F6\u00F8\u00F9"
      u"\u00FC";
  static_assert(kLetters.size() == 29);
  if (c == u'\r' || c == u' ') return true;
  if (c >= 0x21 && c <= 0x7E) return kExcluded.find(c) == std::u16string_view::npos;
  return kLetters.find(c) != std::u16string_view::npos;
}

std::u16string ReferenceFilter(std::u16string_view text) {
  text = text.substr(0, 640);
  std::u16string joined;
  for (std::size_t i = 0; i < text.size(); ++i) {
    joined += text[i];
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;  // CR LF to CR
  }
  std::u16string kept;
  for (char16_t c : joined) {
    if (Allowed(c)) kept += c;
  }
  return kept;
}

std::vector<std::u16string> Words(std::u16string_view text) {
  std::vector<std::u16string> words(1);
  for (char16_t c : text) {
    if (c == u' ') {
      words.emplace_back();
    } else {
      words.back() += c;
    }
  }
  return words;
}

struct Counted {
  std::u16string text;
  std::int32_t parts = 1;
};

Counted ReferenceCount(std::u16string_view text) {
  std::vector<std::u16string> pieces;
  for (std::u16string word : Words(text)) {
    while (word.size() > kLongestWord) {
      pieces.push_back(word.substr(0, kLongestWord));
      word.erase(0, kLongestWord);
    }
    pieces.push_back(word);
  }
  Counted counted;
  std::u16string part;
  bool partEmpty = true;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    counted.text += (i > 0 ? u" " : u"") + pieces[i];
    if (pieces[i].size() + 1 + part.size() > kPartLength) {
      ++counted.parts;
      part.clear();
      partEmpty = true;
    }
    part += (partEmpty ? u"" : u" ") + pieces[i];
    partEmpty = part.empty();
    ORVULINK_FUZZ_CHECK(part.size() <= kPartLength);
  }
  return counted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::UnitsFromBytes(data, size);

  const std::u16string filtered = send::FilterMessageText(text);
  ORVULINK_FUZZ_CHECK(filtered == ReferenceFilter(text));
  ORVULINK_FUZZ_CHECK(send::FilterMessageText(filtered) == filtered);

  for (const std::u16string& input : {text, filtered}) {
    const send::CountedText counted = send::CountParts(input);
    const Counted expected = ReferenceCount(input);
    ORVULINK_FUZZ_CHECK(counted.text == expected.text);
    ORVULINK_FUZZ_CHECK(counted.parts == expected.parts);
    // A message of at most 157 characters is one part unless it is one word that long.
    const bool oneWord = input.find(u' ') == std::u16string::npos;
    if (input.size() < kPartLength || (input.size() == kPartLength && !oneWord)) {
      ORVULINK_FUZZ_CHECK(counted.parts == 1);
    }
    for (const std::u16string& word : Words(counted.text))
      ORVULINK_FUZZ_CHECK(word.size() <= kLongestWord);
  }
  return 0;
}
