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

// Ids 1007 to 1009 were never assigned.
constexpr std::array<StringEntry, 15> kStrings = {{
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
