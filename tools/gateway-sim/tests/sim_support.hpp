// Command strings built the way a client builds them, without the simulator's own encoders.
#pragma once

#include <openssl/evp.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/gateway.hpp"
#include "sim/local_time.hpp"
#include "sim/sim_clock.hpp"
#include "sim/utf8.hpp"
#include "sim/windows1252.hpp"

namespace orvulink::sim::testing_support {

inline std::string Hex(const unsigned char* bytes, std::size_t size, const char* digits) {
  std::string hex;
  for (std::size_t i = 0; i < size; ++i)
    hex += {digits[bytes[i] >> 4], digits[bytes[i] & 15]};
  return hex;
}

inline std::string Md5Hex(std::string_view bytes) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_md5(), nullptr);
  return Hex(digest.data(), size, "0123456789abcdef");
}

// Every byte of the Windows-1252 form as %XX.
inline std::string Encode(std::string_view utf8) {
  std::string out;
  for (const char c : Windows1252FromUtf8(utf8))
    out += "%" + Hex(reinterpret_cast<const unsigned char*>(&c), 1, "0123456789ABCDEF");
  return out;
}

// The component digests the low byte of each UTF-16 unit ("\u20ac" gives 0xAC, not 0x80).
inline std::string Digest(std::string_view utf8) {
  std::string bytes;
  for (const char16_t unit : Utf16FromUtf8(utf8))
    bytes.push_back(static_cast<char>(unit & 0xFF));
  return Encode(Md5Hex(bytes));
}

struct Credentials {
  std::string user = "demo";
  std::string password = "demo-password";
};
using Fields = std::vector<std::pair<std::string, std::string>>;

inline const std::string kSerial{kDefaultSerial};

inline std::string Command(int number, const Fields& fields, const Credentials& who = {}) {
  std::string text =
      "CMD=" + std::to_string(number) + "&UID=" + Digest(who.user) + "&PWD=" + Digest(who.password);
  for (const auto& [name, value] : fields)
    text += "&" + name + "=" + Encode(value);
  return text;
}

// A line per vector: group, sender, recipients, text, date, time, missing ones from `kLine`;
// each field encoded alone, the TAB and CR LF between them left as they are.
inline std::string SendBody(const std::vector<std::vector<std::string>>& lines,
                            const std::string& tail = "", const Credentials& who = {}) {
  static const std::string kLine[] = {"0", "Orvu", "+393331111111", "Hello", "0000-00-00", "00:00"};
  std::string data;
  for (const auto& line : lines) {
    data += data.empty() ? "" : "\r\n";
    for (std::size_t i = 0; i < 6; ++i)
      data += (i ? "\t" : "") + Encode(i < line.size() ? line[i] : kLine[i]);
  }
  return Command(14, {{"SERIAL", kSerial}}, who) + "&SENDDATA=" + data + tail;
}

inline std::string StatusBody(const std::string& query) {
  return Command(15, {{"QUERYDATA", query}, {"SERIAL", kSerial}});
}

// 2024-01-15 10:00 local, far from any daylight-saving change.
inline SimClock PinnedClock() {
  return SimClock([] { return ToSimTime(LocalMinute{2024, 1, 15, 10, 0}); });
}

}  // namespace orvulink::sim::testing_support
