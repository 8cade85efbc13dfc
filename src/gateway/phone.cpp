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
  constexpr std::u16string_view kPlus = u"+";
  if (first == std::u16string_view::npos) return {kPlus, {}};
  number = number.substr(first, number.find_last_not_of(u' ') - first + 1);
  if (number.starts_with(u"00")) return {kPlus, number.substr(2)};
  return {number.starts_with(u'+') ? std::u16string_view() : kPlus, number};
}

namespace {

std::u16string Joined(const PhoneGsmParts& form) {
  std::u16string text;
  text.reserve(form.prefix.size() + form.rest.size());
  return text.append(form.prefix).append(form.rest);
}

}  // namespace

std::u16string PhoneGsmForm(std::u16string_view number) {
  return Joined(PhoneGsmFormParts(number));
}

bool NormalizePhoneGsm(std::u16string& number) {
  const PhoneGsmParts form = PhoneGsmFormParts(number);
  // Most numbers are already in form: rewritten only when they are not.
  if (!form.prefix.empty() || form.rest.size() != number.size()) number = Joined(form);
  return number.size() >= kMinPhoneLength && number.size() <= kMaxPhoneLength &&
         platform::IsNumeric(number);
}

}  // namespace orvulink::gateway
