// The digest against RFC 1321's own vectors and, for everything else, against OpenSSL.
#include "control/md5.hpp"

#include <gtest/gtest.h>
#include "test_support.hpp"

#include <random>
#include <string>

namespace orvulink::control {
namespace {

// OpenSSL's MD5 of the low byte of every code unit, as lower-case hex.
std::u16string ReferenceDigest(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text)
    bytes.push_back(static_cast<char>(unit & 0xFF));
  return BStr(testing::OpenSslMd5Hex(bytes)).str();
}

TEST(Md5, MatchesThePublishedDigests) {
  const std::pair<std::u16string, std::u16string> vectors[] = {
      {u"", u"d41d8cd98f00b204e9800998ecf8427e"},
      {u"abc", u"900150983cd24fb0d6963f7d28e17f72"},
      {u"1234567890123456789012345678901234567890123456789012345678901234567890123456"
       u"7890",
       u"57edf4a22be3c955ac49da2e2107b67a"}};
  for (const auto& [message, digest] : vectors)
    EXPECT_EQ(Md5Digest(message), digest);
}

// Every length to past three blocks, so each padding boundary is met, with random texts mixing
// ASCII, Latin-1 and units beyond Latin-1 (of which only the low byte counts).
TEST(Md5, AgreesWithOpenSslOnTheLowByteOfEveryUnit) {
  EXPECT_EQ(Md5Digest(u"\u20ac"), ReferenceDigest(u"\u00ac"));
  const CMD5 digest;  // one object, used again and again
  std::mt19937 random(1321);
  std::uniform_int_distribution<int> rangeOf(0, 2);
  std::uniform_int_distribution<int> ascii(0x00, 0x7F), latin1(0x80, 0xFF), wide(0x100, 0xFFFF);
  for (std::size_t length = 0; length <= 200; ++length) {
    for (int round = 0; round < 3; ++round) {
      std::u16string text(length, u'\0');
      for (char16_t& unit : text) {
        const int range = rangeOf(random);
        auto& pick = range == 0 ? ascii : range == 1 ? latin1 : wide;
        unit = static_cast<char16_t>(pick(random));
      }
      ASSERT_EQ(Md5Digest(text), ReferenceDigest(text)) << length << " units";
      ASSERT_EQ(digest.MD5(text), ReferenceDigest(text)) << length << " units";
    }
  }
}

}  // namespace
}  // namespace orvulink::control
