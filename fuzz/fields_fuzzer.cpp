// The readers and rules of single fields, checked by what must hold whatever the input: two
// readers of one text agree, what is written reads back, a rule applied twice changes nothing.
// The first byte picks:
//  0 numbers: the number test agrees with the number read, a number is its own leading number,
//    the read that stops at a blank agrees where there is none, and rounding half to even into
//    an Integer or a Long agrees with the floating-point unit's own, or overflows exactly when
//    the value does not fit;
//  1 dates: a date read from text prints as text that reads back as the same date, and the
//    send-date text of any date reads back as the minute it was written from;
//  2 phones: separators out (the quick path for plain numbers agrees with deleting each one),
//    the international form stays as it is when applied again, and the recipient check agrees
//    with it;
//  3 message text: the filter only deletes and is idempotent; the part count is stable on its
//    own text, leaves no word longer than 156 units and gives a text that fits one part.
#include "fuzz_support.hpp"
#include "gateway/phone.hpp"
#include "platform/conversions.hpp"
#include "platform/date_text.hpp"
#include "platform/runtime_error.hpp"
#include "send/message_rules.hpp"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using namespace orvulink;
using fuzz::RaisedNumber;
using fuzz::UnitsFromBytes;

template <class Int, class Round>
void CheckRounding(double value, Round round) {
  const double rounded = std::nearbyint(value);  // the default rounding: half to even
  const bool fits = std::isfinite(value) && rounded >= std::numeric_limits<Int>::min() &&
                    rounded <= std::numeric_limits<Int>::max();
  Int got = 0;
  const std::int32_t raised = RaisedNumber([&] { got = round(value); });
  ORVULINK_FUZZ_CHECK(fits ? raised == 0 && got == static_cast<Int>(rounded)
                           : raised == platform::kErrOverflow);
}

void Numbers(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = UnitsFromBytes(data, size);
  double value = 0;
  const std::int32_t raised = RaisedNumber([&] { value = platform::TextToDouble(text); });
  ORVULINK_FUZZ_CHECK(platform::IsNumeric(text) == (raised != platform::kErrTypeMismatch));
  double leading = 0;
  const std::int32_t leadingRaised = RaisedNumber([&] { leading = platform::LeadingNumber(text); });
  if (raised == 0) ORVULINK_FUZZ_CHECK(leadingRaised == 0 && leading == value);
  if (text.find_first_of(u" \t\r\n") == std::u16string::npos) {
    double toBlank = 0;
    ORVULINK_FUZZ_CHECK(RaisedNumber([&] { toBlank = platform::LeadingNumberToBlank(text); }) ==
                            leadingRaised &&
                        (leadingRaised != 0 || toBlank == leading));
  }
  if (leadingRaised == 0) {
    CheckRounding<std::int16_t>(leading, platform::RoundToInteger);
    CheckRounding<std::int32_t>(leading, platform::RoundToLong);
  }
  if (size == sizeof(double)) {  // raw doubles too, halves and the edges of the ranges among them
    std::memcpy(&value, data, sizeof value);
    CheckRounding<std::int16_t>(value, platform::RoundToInteger);
    CheckRounding<std::int32_t>(value, platform::RoundToLong);
    CheckRounding<std::int16_t>(value / 65536.0, platform::RoundToInteger);
  }
}

void Dates(const std::uint8_t* data, std::size_t size) {
  Date date;
  if (RaisedNumber([&] { date = platform::TextToDate(UnitsFromBytes(data, size)); }) == 0) {
    // An error escaping here is a finding too.
    const std::string general = date.FormatGeneral();
    const std::u16string generalUnits(general.begin(), general.end());
    ORVULINK_FUZZ_CHECK(platform::TextToDate(generalUnits).ToParts() == date.ToParts());
    ORVULINK_FUZZ_CHECK(Date::FromParts(date.ToParts()).ToParts() == date.ToParts());
  }
  // Any date a host passes: its send-date text names a minute that reads back as itself. Days
  // and fractions around the calendar's edges are rare among raw doubles, so whole days too.
  double value = 0;
  if (size == sizeof value) {
    std::memcpy(&value, data, sizeof value);
  } else if (size >= 4) {
    std::int32_t days = 0;
    std::memcpy(&days, data, sizeof days);
    value = static_cast<double>(days % 3000000) + (size > 4 ? data[4] / 256.0 : 0.0);
  }
  const std::optional<std::u16string> sendText = send::SendDateText(Date(value));
  if (!sendText || *sendText == u"NOW") {
    ORVULINK_FUZZ_CHECK(!sendText || value == 0.0);
    return;
  }
  const Date read = send::DateFromSendDateText(*sendText);
  ORVULINK_FUZZ_CHECK(send::SendDateText(read) == sendText);
  ORVULINK_FUZZ_CHECK(read.ToParts().minute == Date(value).ToParts().minute);
}

void Phones(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = UnitsFromBytes(data, size);
  std::u16string stripped = text;
  gateway::StripSeparators(stripped);
  std::u16string deleted = text;
  for (std::u16string_view separator : {u";", u",", u"\r\n", u"\t", u":"}) {
    for (std::size_t at = deleted.find(separator); at != std::u16string::npos;
         at = deleted.find(separator, at))
      deleted.erase(at, separator.size());
  }
  ORVULINK_FUZZ_CHECK(stripped == deleted);

  std::u16string number = text;
  const bool valid = gateway::NormalizePhoneGsm(number);
  std::u16string again = number;
  ORVULINK_FUZZ_CHECK(gateway::NormalizePhoneGsm(again) == valid && again == number);
  const send::CheckedRecipient recipient = send::CheckRecipient(text);
  ORVULINK_FUZZ_CHECK(recipient.valid == valid && recipient.phone.starts_with(u'+'));
  if (valid) ORVULINK_FUZZ_CHECK(send::CheckRecipient(recipient.phone).phone == recipient.phone);
  (void)send::CheckSender(text);
}

void MessageText(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = UnitsFromBytes(data, size);
  const std::u16string filtered = send::FilterMessageText(text);
  ORVULINK_FUZZ_CHECK(send::FilterMessageText(filtered) == filtered && filtered.size() <= 640);
  std::size_t kept = 0;  // every unit kept, in order: the filter only deletes (CR LF to CR)
  for (std::size_t i = 0; i < text.size() && kept < filtered.size(); ++i)
    kept += text[i] == filtered[kept];
  ORVULINK_FUZZ_CHECK(kept == filtered.size());
  for (const std::u16string& input : {text, filtered}) {
    const send::CountedText counted = send::CountParts(input);
    const send::CountedText again = send::CountParts(counted.text);
    ORVULINK_FUZZ_CHECK(again.text == counted.text && again.parts == counted.parts);
    std::size_t word = 0;
    for (char16_t c : counted.text) {
      word = c == u' ' ? 0 : word + 1;
      ORVULINK_FUZZ_CHECK(word <= 156);
    }
    if (input.size() < 157) ORVULINK_FUZZ_CHECK(counted.parts == 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr void (*kChecks[])(const std::uint8_t*, std::size_t) = {Numbers, Dates, Phones,
                                                                          MessageText};
  if (size > 0) kChecks[data[0] % std::size(kChecks)](data + 1, size - 1);
  return 0;
}
