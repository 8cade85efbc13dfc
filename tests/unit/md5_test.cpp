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

struct RfcVector {
  std::u16string message;
  std::u16string digest;
};

class Md5RfcSuite : public ::testing::TestWithParam<RfcVector> {};

TEST_P(Md5RfcSuite, MatchesPublishedDigest) {
  EXPECT_EQ(Md5Digest(GetParam().message), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc1321, Md5RfcSuite,
    ::testing::Values(
        RfcVector{u"", u"d41d8cd98f00b204e9800998ecf8427e"},
        RfcVector{u"a", u"0cc175b9c0f1b6a831c399e269772661"},
        RfcVector{u"abc", u"900150983cd24fb0d6963f7d28e17f72"},
        RfcVector{u"message digest", u"f96b697d7cb7938d525a2f31aaf161d0"},
        RfcVector{u"abcdefghijklmnopqrstuvwxyz", u"c3fcd3d76192e4007dfb496cca67e13b"},
        RfcVector{u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                  u"d174ab98d277d9f5a5611c2c9f419d9f"},
        RfcVector{u"1234567890123456789012345678901234567890123456789012345678901234567890123456"
                  u"7890",
                  u"57edf4a22be3c955ac49da2e2107b67a"}));

TEST(Md5, EachCodeUnitContributesItsLowByte) {
  EXPECT_EQ(Md5Digest(u"\u00e8"), ReferenceDigest(u"\u00e8"));
  EXPECT_EQ(Md5Digest(u"x\u20acy"), Md5Digest(u"x\u00acy"));
  EXPECT_EQ(Md5Digest(u"\u20ac"), ReferenceDigest(u"\u00ac"));
}

TEST(Md5, PaddingAroundBlockBoundaries) {
  for (std::size_t length : {55, 56, 63, 64, 65, 119, 120, 128}) {
    const std::u16string text(length, u'q');
    EXPECT_EQ(Md5Digest(text), ReferenceDigest(text)) << length << " characters";
  }
}

TEST(Md5, OneObjectDigestsRepeatedlyWithoutCarryingState) {
  const CMD5 digest;
  const std::u16string first = digest.MD5(u"first");
  EXPECT_EQ(digest.MD5(u"second"), ReferenceDigest(u"second"));
  EXPECT_EQ(digest.MD5(u"first"), first);
}

// Random texts mixing ASCII, Latin-1 and units beyond Latin-1.
TEST(Md5, AgreesWithOpenSslOnRandomTexts) {
  std::mt19937 random(1321);
  std::uniform_int_distribution<std::size_t> lengthOf(0, 200);
  std::uniform_int_distribution<int> rangeOf(0, 2);
  std::uniform_int_distribution<int> ascii(0x00, 0x7F), latin1(0x80, 0xFF), wide(0x100, 0xFFFF);
  for (int round = 0; round < 600; ++round) {
    std::u16string text(lengthOf(random), u'\0');
    for (char16_t& unit : text) {
      const int range = rangeOf(random);
      auto& pick = range == 0 ? ascii : range == 1 ? latin1 : wide;
      unit = static_cast<char16_t>(pick(random));
    }
    ASSERT_EQ(Md5Digest(text), ReferenceDigest(text)) << "round " << round;
  }
}

}  // namespace
}  // namespace orvulink::control
