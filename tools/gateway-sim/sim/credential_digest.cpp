#include "sim/credential_digest.hpp"

#include <openssl/evp.h>

#include <array>
#include <stdexcept>

#include "sim/utf8.hpp"

namespace orvulink::sim {
namespace {

std::string LowBytes(std::string_view utf8_text) {
  std::string bytes;
  for (const char16_t unit : Utf16FromUtf8(utf8_text)) {
    bytes.push_back(static_cast<char>(unit & 0xFFU));
  }
  return bytes;
}

std::string LowerHex(const unsigned char* data, unsigned int size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2U);
  for (unsigned int i = 0; i < size; ++i) {
    out.push_back(kDigits[data[i] >> 4U]);
    out.push_back(kDigits[data[i] & 0x0FU]);
  }
  return out;
}

}  // namespace

std::string CredentialDigest(std::string_view utf8_text) {
  const std::string bytes = LowBytes(utf8_text);
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_md5(), nullptr) != 1) {
    throw std::runtime_error("MD5 is not available from OpenSSL");
  }
  return LowerHex(digest.data(), size);
}

}  // namespace orvulink::sim
