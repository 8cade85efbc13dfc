// The digest against OpenSSL's, over the low byte of every code unit.
#include "control/md5.hpp"

#include <gtest/gtest.h>
#include "test_support.hpp"

#include <random>
#include <string>

namespace orvulink::control {
namespace {

// Every length to past three blocks, so each padding boundary is met, with random texts mixing
// ASCII, Latin-1 and units beyond Latin-1 (of which only the low byte counts); one object is
// used again and again.
TEST(Md5, AgreesWithOpenSslOnTheLowByteOfEveryUnit) {
  const CMD5 digest;
  std::mt19937 random(1321);
  std::uniform_int_distribution<int> rangeOf(0, 2);
  std::uniform_int_distribution<int> ascii(0x00, 0x7F), latin1(0x80, 0xFF), wide(0x100, 0xFFFF);
  for (std::size_t length = 0; length <= 200; ++length) {
    for (int round = 0; round < 3; ++round) {
      std::u16string text(length, u'\0');
      std::string bytes;
      for (char16_t& unit : text) {
        const int range = rangeOf(random);
        auto& pick = range == 0 ? ascii : range == 1 ? latin1 : wide;
        unit = static_cast<char16_t>(pick(random));
        bytes.push_back(static_cast<char>(unit & 0xFF));
      }
      const std::u16string expected = BStr(testing::OpenSslMd5Hex(bytes)).str();
      ASSERT_EQ(Md5Digest(text), expected) << length << " units";
      ASSERT_EQ(digest.MD5(text), expected) << length << " units";
    }
  }
}

}  // namespace
}  // namespace orvulink::control
