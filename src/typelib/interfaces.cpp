// The dispatch interface of the control. Dispatch ids follow the accessor slots of the
// interface: every get and every put takes a slot of its own, a method one. The numbering
// starts two slots above 0x60030000 so that TestConnection keeps 0x60030021, the id hosts
// have bound to; UserName, the default member, answers to id 0 and still takes its slots.
#include "typelib/interfaces.hpp"

#include <array>

namespace orvulink::typelib {
namespace {

using enum MemberKind;

constexpr std::int32_t kFirstSlotId = 0x60030002;

struct MemberRow {
  std::string_view name;
  MemberKind kind;
  bool resetsErrorState;
};

constexpr std::array<MemberRow, 26> kOrvuLinkActiveXRows = {{
    {"LastRespose", kPropertyGet, true},
    {"LastRequest", kPropertyGet, true},
    {"Version", kPropertyGet, true},
    {"ErrDescription", kPropertyGet, false},
    {"ErrCode", kPropertyGet, false},
    {"EncryptSSL", kPropertyGetPut, true},
    {"TestMode", kPropertyGetPut, true},
    {"UserName", kPropertyGetPut, true},
    {"Password", kPropertyGetPut, true},
    {"AutomaticProxy", kPropertyGetPut, true},
    {"Proxy", kPropertyGetPut, true},
    {"ProxyPort", kPropertyGetPut, true},
    {"ProxyUsername", kPropertyGetPut, true},
    {"ProxyPassword", kPropertyGetPut, true},
    {"VAPcode", kPropertyGetPut, true},
    {"NotifyServer", kPropertyGet, true},
    {"NotifyUser", kPropertyGet, true},
    {"ForeignCountry", kPropertyGet, true},
    {"ShowAboutBox", kMethod, true},
    {"DelMessage", kMethod, true},
    {"GetCredit", kMethod, true},
    {"TestConnection", kMethod, true},
    {"MessagesToSend", kPropertyGet, false},
    {"MessagesToNotify", kPropertyGet, false},
    {"ReceptionKeys", kPropertyGet, false},
    {"FillReceptionKeys", kMethod, true},
}};

constexpr std::int32_t SlotCount(MemberKind kind) {
  return kind == kPropertyGetPut ? 2 : 1;
}

template <std::size_t N>
constexpr std::array<MemberDescription, N> NumberSlots(const std::array<MemberRow, N>& rows,
                                                       std::string_view defaultMember) {
  std::array<MemberDescription, N> members{};
  std::int32_t nextId = kFirstSlotId;
  for (std::size_t i = 0; i < N; ++i) {
    const MemberRow& row = rows[i];
    const std::int32_t id = row.name == defaultMember ? kDispidValue : nextId;
    members[i] = MemberDescription{row.name, row.kind, id, row.resetsErrorState};
    nextId += SlotCount(row.kind);
  }
  return members;
}

constexpr auto kOrvuLinkActiveXMembers = NumberSlots(kOrvuLinkActiveXRows, "UserName");

constexpr std::int32_t DispatchIdOf(std::string_view name) {
  for (const MemberDescription& member : kOrvuLinkActiveXMembers) {
    if (member.name == name) return member.dispatchId;
  }
  return -1;
}
static_assert(DispatchIdOf("TestConnection") == 0x60030021);

}  // namespace

const InterfaceDescription& OrvuLinkActiveXInterface() {
  static constexpr InterfaceDescription kInterface{"_OrvuLinkActiveX", "__OrvuLinkActiveX",
                                                   kOrvuLinkActiveXMembers};
  return kInterface;
}

}  // namespace orvulink::typelib
