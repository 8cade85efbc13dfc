// Interface descriptions of the automation classes: member order, kinds, dispatch ids. The
// interface names (with their leading underscores) live here as strings.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orvulink::typelib {

enum class MemberKind { kPropertyGet, kPropertyGetPut, kMethod };

struct MemberDescription {
  std::string_view name;
  MemberKind kind;
  std::int32_t dispatchId;
  bool resetsErrorState;
};

struct InterfaceDescription {
  std::string_view name;                       // e.g. "_OrvuLinkActiveX"
  std::string_view sourceInterface;            // e.g. "__OrvuLinkActiveX"
  std::span<const MemberDescription> members;  // in interface order
};

inline constexpr std::int32_t kDispidValue = 0;     // default member
inline constexpr std::int32_t kDispidNewEnum = -4;  // enumerator member

const InterfaceDescription& OrvuLinkActiveXInterface();

}  // namespace orvulink::typelib
