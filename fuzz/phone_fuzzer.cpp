// Numbers and senders on their way into a command or a list: separators out, the international
// form and its verdict, and the recipient and sender checks of an outgoing message, each against
// a reference written from the documented steps.
#include "fuzz_support.hpp"
#include "gateway/phone.hpp"
#include "platform/conversions.hpp"
#include "send/message_rules.hpp"

#include <optional>
#include <string>

namespace {

using namespace orvulink;

bool IsSeparator(char16_t c) {
  return c == u';' || c == u',' || c == u'\t' || c == u':';
}

// Every occurrence of `piece`, scanning left to right, deleted once.
std::u16string DeleteEach(std::u16string_view text, std::u16string_view piece) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text.substr(i, piece.size()) == piece) {
      i += piece.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

void CheckStripSeparators(std::u16string_view text) {
  std::u16string stripped(text);
  gateway::StripSeparators(stripped);
  // No separator is left, and only separators and CR LF pairs went.
  std::size_t kept = 0;
  std::size_t removedCr = 0;
  std::size_t removedLf = 0;
  for (char16_t c : text) {
    if (kept < stripped.size() && stripped[kept] == c) {
      ++kept;
      continue;
    }
    ORVULINK_FUZZ_CHECK(IsSeparator(c) || c == u'\r' || c == u'\n');
    removedCr += c == u'\r';
    removedLf += c == u'\n';
  }
  ORVULINK_FUZZ_CHECK(kept == stripped.size());
  ORVULINK_FUZZ_CHECK(removedCr == removedLf);
  for (char16_t c : stripped)
    ORVULINK_FUZZ_CHECK(!IsSeparator(c));
}

struct Normalised {
  std::u16string number;
  bool valid;
};

// Blanks trimmed, a leading "00" to "+", "+" in front; valid at 7 to 15 units and numeric.
Normalised ReferenceNormalise(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ')
    text.remove_suffix(1);
  std::u16string number(text);
  if (text.starts_with(u"00")) number = u"+" + number.substr(2);
  if (!number.starts_with(u"+")) number = u"+" + number;
  const bool valid = number.size() >= 7 && number.size() <= 15 && platform::IsNumeric(number);
  return {number, valid};
}

void CheckNormalise(std::u16string_view text) {
  std::u16string number(text);
  const bool valid = gateway::NormalizePhoneGsm(number);
  const Normalised expected = ReferenceNormalise(text);
  ORVULINK_FUZZ_CHECK(number == expected.number && valid == expected.valid);
  // A normalised number stays as it is.
  std::u16string again = number;
  ORVULINK_FUZZ_CHECK(gateway::NormalizePhoneGsm(again) == valid && again == number);
}

void CheckRecipient(std::u16string_view text) {
  const send::CheckedRecipient checked = send::CheckRecipient(text);
  const Normalised normalised = ReferenceNormalise(text);
  ORVULINK_FUZZ_CHECK(checked.valid == normalised.valid);
  std::u16string phone = normalised.number;
  for (std::u16string_view piece : {u"\b", u",", u"\t", u"\r\n", u" ", u";"})
    phone = DeleteEach(phone, piece);
  ORVULINK_FUZZ_CHECK(checked.phone == phone);
  ORVULINK_FUZZ_CHECK(checked.phone.starts_with(u'+'));
}

std::optional<std::u16string> ReferenceSender(std::u16string_view text) {
  std::u16string sender(text);
  for (std::u16string_view piece : {u"\b", u",", u"\t", u"\r\n"})
    sender = DeleteEach(sender, piece);
  if (sender.empty()) return std::nullopt;
  if (!platform::IsNumeric(sender)) {
    if (sender.size() < 3 || sender.size() > 11) return std::nullopt;
    return sender;
  }
  if (sender.starts_with(u"00")) sender.erase(0, 2);
  if (sender.starts_with(u"+")) sender.erase(0, 1);
  if (sender.size() < 7 || sender.size() > 15) return std::nullopt;
  return sender;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::UnitsFromBytes(data, size);
  CheckStripSeparators(text);
  CheckNormalise(text);
  CheckRecipient(text);
  ORVULINK_FUZZ_CHECK(send::CheckSender(text) == ReferenceSender(text));
  return 0;
}
