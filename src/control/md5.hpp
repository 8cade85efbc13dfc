// CMD5: the MD5 digest of a text, one byte per UTF-16 code unit (its low 8 bits), as 32
// lower-case hexadecimal digits.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvulink::control {

class CMD5 {
 public:
  CMD5();
  std::u16string MD5(const std::u16string& sMessage) const;

 private:
  // Masks with the lowest 1..31 bits set and the powers of two 2^0..2^30.
  std::array<std::uint32_t, 31> lowBitMasks_{};
  std::array<std::uint32_t, 31> powersOfTwo_{};
};

// Shorthand: a fresh digest object, used once.
std::u16string Md5Digest(const std::u16string& text);

}  // namespace orvulink::control
