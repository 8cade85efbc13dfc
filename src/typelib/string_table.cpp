// The English string table: the texts of the numbered errors.
#include "typelib/string_table.hpp"

#include <array>
#include <string_view>

namespace orvulink::typelib {
namespace {

struct StringEntry {
  std::int32_t id;
  std::string_view text;
};

// The characters a message text may carry: the GSM default alphabet as 16 rows of 8 cells,
// Greek capitals shown as look-alike Latin letters, the control codes by name ("1)" is the
// escape code). Every distinct character of it is allowed.
constexpr std::string_view kMessageAlphabet =
    "@ D SP 0 \xC2\xA1 P \xC2\xBF p "
    "\xC2\xA3 _ ! 1 A Q a q "
    "$ F \" 2 B R b r "
    "\xC2\xA5 G # 3 C S c s "
    "\xC3\xA8 L \xC2\xA4 4 D T d t "
    "\xC3\xA9 O % 5 E U e u "
    "\xC3\xB9 P & 6 F V f v "
    "\xC3\xAC Y ' 7 G W g w "
    "\xC3\xB2 S ( 8 H X h x "
    "\xC3\x87 O ) 9 I Y i y "
    "LF X * : J Z j z "
    "\xC3\x98 1) + ; K \xC3\x84 k \xC3\xA4 "
    "\xC3\xB8 \xC3\x86 , < L \xC3\x96 l \xC3\xB6 "
    "CR \xC3\xA6 - = M \xC3\x91 m \xC3\xB1 "
    "\xC3\x85 \xC3\x9F . > N \xC3\x9C n \xC3\xBC "
    "\xC3\xA5 \xC3\x89 / ? O \xC2\xA7 o \xC3\xA0";

// Ids 1007 to 1009 were never assigned.
constexpr std::array<StringEntry, 16> kStrings = {{
    {1, kMessageAlphabet},
    {1001, "SMS gateway: generic error"},
    {1002, "SMS gateway: username/password error"},
    {1003, "SMS gateway: CGI error"},
    {1004, "SMS gateway: insufficient credit"},
    {1005, "SMS gateway: too many messages in queue"},
    {1006, "SMS gateway: unable to connect to server"},
    {1010, "SMS gateway: gateway error"},
    {1011, "SMS gateway: wrong VAP Code"},
    {1012,
     "SMS gateway: autoresponder error (key is invalid or expired, or autoresponder text is "
     "invalid or already existing)"},
    {1013, "SMS gateway: message already sent"},
    {1014, "SMS gateway: message wrong"},
    {1015, "SMS gateway: Intenet Explorer version old"},
    {1016, "SMS gateway: message from gateway"},
    {1017, "SMS gateway: command error"},
    {1018, "SMS gateway: Request KeyRecive"},
}};

}  // namespace

BStr LoadResString(std::int32_t id) {
  for (const StringEntry& entry : kStrings) {
    if (entry.id == id) return BStr(entry.text);
  }
  return BStr();
}

BStr ErrorText(OrvuLink_ErrorRuntime number) {
  return LoadResString(number - kErrorTextIdOffset);
}

}  // namespace orvulink::typelib
