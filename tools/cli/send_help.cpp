#include "send_help.hpp"

#include <orvulink/message_text.hpp>

namespace orvulink::cli {
namespace {

// Printable ASCII the alphabet leaves out, then what it adds beyond ASCII.
std::string AlphabetText() {
  std::string missing;
  for (char16_t unit = u'!'; unit <= u'~'; ++unit) {
    if (!IsMessageCharacter(unit)) missing += static_cast<char>(unit);
  }
  std::u16string extra;
  for (char16_t unit = 0xA0; unit <= 0xFF; ++unit) {
    if (IsMessageCharacter(unit)) extra += unit;
  }
  return "letters, digits, space, line breaks and printable ASCII except " + missing + "; also " +
         BStr(extra).utf8();
}

}  // namespace

std::string SendRulesHelp() {
  return "Messages:\n"
         "  A recipient needs its international prefix (+ or 00); a national number is\n"
         "  refused unless a default country code is set (config set DefaultCountry=39).\n"
         "  A sender is 3 to 11 characters, or a number of 7 to 15 digits.\n"
         "  A text keeps its first " +
         std::to_string(MaxMessageTextLength()) +
         " characters of the SMS alphabet: " + AlphabetText() +
         ".\n"
         "  Other characters are dropped: send warns of every text it changes, and --strict\n"
         "  refuses to send them. One SMS part holds 157 characters; --dry-run shows the parts.";
}

}  // namespace orvulink::cli
