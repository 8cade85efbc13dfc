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

void StripSeparators(std::u16string& value) {
  // In this order; CR LF goes only as a pair, so a lone CR or LF stays.
  static constexpr std::array<std::u16string_view, 6> kSeparators = {u";",  u",", u"\r\n",
                                                                     u"\t", u":", u";"};
  // Most numbers hold none of them: nothing to rebuild then (a status answer strips thousands).
  const auto separates = [&value](std::size_t i) {
    const char16_t unit = value[i];
    return unit == u';' || unit == u',' || unit == u'\t' || unit == u':' ||
           (unit == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n');
  };
  bool plain = true;
  for (std::size_t i = 0; plain && i < value.size(); ++i)
    plain = !separates(i);
  if (plain) return;
  for (std::u16string_view separator : kSeparators) {
    value = platform::ReplaceAll(value, separator, u"");
  }
}

bool NormalizePhoneGsm(std::u16string& number) {
  // Trimmed in place: most numbers have no spaces to trim, and then nothing is copied.
  number.erase(0, std::min(number.find_first_not_of(u' '), number.size()));
  number.erase(number.find_last_not_of(u' ') + 1);
  if (number.starts_with(u"00")) number.replace(0, 2, u"+");
  if (!number.starts_with(u'+')) number.insert(0, 1, u'+');
  return number.size() >= kMinPhoneLength && number.size() <= kMaxPhoneLength &&
         platform::IsNumeric(number);
}

}  // namespace orvulink::gateway
