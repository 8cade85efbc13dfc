// Builds command strings the way a client does, for the simulator's tests.
#pragma once

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/gateway.hpp"
#include "sim/utf8.hpp"
#include "sim/windows1252.hpp"

namespace orvulink::sim::testing_support {

// Parameterised cases are named by their "name" member.
template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& param_info) {
  return param_info.param.name;
}

// MD5 straight from OpenSSL, so the tests do not lean on the simulator's own digest code.
inline std::string Md5Hex(std::string_view bytes) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_md5(), nullptr);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i)
    hex += {kDigits[digest[i] >> 4], kDigits[digest[i] & 15]};
  return hex;
}

// Every byte of the Windows-1252 form as "%" and two upper-case hexadecimal digits.
inline std::string Encode(std::string_view utf8) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : Windows1252FromUtf8(utf8)) {
    const auto byte = static_cast<unsigned char>(c);
    out += {'%', kDigits[byte >> 4], kDigits[byte & 15]};
  }
  return out;
}

// The bytes the component digests: the low 8 bits of each UTF-16 code unit ("\u20ac" gives
// 0xAC, not its Windows-1252 byte 0x80).
inline std::string DigestBytes(std::string_view utf8) {
  std::string bytes;
  for (const char16_t unit : Utf16FromUtf8(utf8))
    bytes.push_back(static_cast<char>(unit & 0xFF));
  return bytes;
}

struct Credentials {
  std::string user = "demo";
  std::string password = "demo-password";
};

// "CMD=n&UID=..&PWD=.." then each field as «&NAME=» + Encode(value), in the given order.
inline std::string Command(int number, const Credentials& who,
                           const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string text = "CMD=" + std::to_string(number);
  text += "&UID=" + Encode(Md5Hex(DigestBytes(who.user)));
  text += "&PWD=" + Encode(Md5Hex(DigestBytes(who.password)));
  for (const auto& [name, value] : fields)
    text += "&" + name + "=" + Encode(value);
  return text;
}

inline std::string Serial() {
  return std::string(kDefaultSerial);
}

}  // namespace orvulink::sim::testing_support
