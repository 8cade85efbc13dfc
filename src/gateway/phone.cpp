// Text routines for values that go into a command or a list: separators out, phone numbers in
// international form.
#include "gateway/phone.hpp"

#include "platform/conversions.hpp"
#include "platform/text.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvulink::gateway {
namespace {

constexpr std::size_t kMinPhoneLength = 7;
constexpr std::size_t kMaxPhoneLength = 15;

}  // namespace

bool HoldsSeparators(std::u16string_view value) noexcept {
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char16_t unit = value[i];
    if (unit == u';' || unit == u',' || unit == u'\t' || unit == u':' ||
        (unit == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')) {
      return true;
    }
  }
  return false;
}

void StripSeparators(std::u16string& value) {
  // In this order; CR LF goes only as a pair, so a lone CR or LF stays.
  static constexpr std::array<std::u16string_view, 6> kSeparators = {u";",  u",", u"\r\n",
                                                                     u"\t", u":", u";"};
  // Nothing to rebuild then (a status answer strips thousands).
  if (!HoldsSeparators(value)) return;
  for (std::u16string_view separator : kSeparators) {
    value = platform::ReplaceAll(value, separator, u"");
  }
}

PhoneGsmParts PhoneGsmFormParts(std::u16string_view number) {
  const std::size_t first = number.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {true, {}};
  number = number.substr(first, number.find_last_not_of(u' ') - first + 1);
  if (number.starts_with(u"00")) return {true, number.substr(2)};
  return {!number.starts_with(u'+'), number};
}

std::u16string PhoneGsmForm(std::u16string_view number) {
  const PhoneGsmParts form = PhoneGsmFormParts(number);
  std::u16string text;
  text.reserve(form.rest.size() + 1);
  if (form.plus) text += u'+';
  text += form.rest;
  return text;
}

bool NormalizePhoneGsm(std::u16string& number) {
  const PhoneGsmParts form = PhoneGsmFormParts(number);
  // Most numbers are already in form: rewritten only when they are not.
  if (form.plus || form.rest.size() != number.size()) number = PhoneGsmForm(number);
  return number.size() >= kMinPhoneLength && number.size() <= kMaxPhoneLength &&
         platform::IsNumeric(number);
}

}  // namespace orvulink::gateway
