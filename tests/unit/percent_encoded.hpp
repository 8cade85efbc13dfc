// How the component writes a field on the wire, written independently of its encoder: every
// byte as "%" and two upper-case hexadecimal digits. Shared by the unit tests and the fuzz targets.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::testing {

inline std::string PercentEncoded(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes)
    out += {'%', kHex[c >> 4], kHex[c & 15]};
  return out;
}

}  // namespace orvulink::testing
