// The parameter encoder and the layout of the command string.
#include "gateway/command.hpp"

#include <gtest/gtest.h>

#include "control/control_state.hpp"
#include "control/md5.hpp"

#include <string>

namespace orvulink::gateway {
namespace {

struct EncodeCase {
  std::u16string value;
  std::u16string encoded;
};

class EncodeParameterTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeParameterTest, EncodesEveryCharacterAsItsWindows1252Byte) {
  EXPECT_EQ(EncodeParameter(GetParam().value), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeParameterTest,
    ::testing::Values(EncodeCase{u"abc", u"%61%62%63"}, EncodeCase{u"a b", u"%61%20%62"},
                      EncodeCase{u"", u""}, EncodeCase{u"\u00e8", u"%E8"},
                      EncodeCase{u"\u20ac", u"%80"}, EncodeCase{u"\u4e2d", u"%3F"},
                      EncodeCase{u"\x01\u00ff", u"%01%FF"}, EncodeCase{u"+&=%", u"%2B%26%3D%25"},
                      EncodeCase{u"\r\n\t", u"%0D%0A%09"}, EncodeCase{u"\u0152", u"%8C"}));

// Reads "%XX" triples back into bytes; fails the test on anything else.
std::string DecodeTriples(const std::u16string& encoded) {
  static const std::u16string kUpperHex = u"0123456789ABCDEF";
  std::string bytes;
  EXPECT_EQ(encoded.size() % 3, 0U);
  for (std::size_t i = 0; i + 2 < encoded.size(); i += 3) {
    const std::size_t high = kUpperHex.find(encoded[i + 1]);
    const std::size_t low = kUpperHex.find(encoded[i + 2]);
    EXPECT_EQ(encoded[i], u'%');
    EXPECT_TRUE(high != std::u16string::npos && low != std::u16string::npos);
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

TEST(EncodeParameter, DigestBecomesThreeCharactersPerDigit) {
  const std::u16string digest = control::Md5Digest(u"user");
  const std::u16string encoded = EncodeParameter(digest);
  EXPECT_EQ(encoded.size(), 96U);
  EXPECT_EQ(DecodeTriples(encoded), std::string(digest.begin(), digest.end()));
}

TEST(SerialToken, IsTwentyDigitsOrCapitalsAndStaysTheSame) {
  const std::u16string& token = SerialToken();
  ASSERT_EQ(token.size(), 20U);
  for (char16_t unit : token) {
    EXPECT_TRUE((unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'Z'));
  }
  EXPECT_EQ(&SerialToken(), &token);
}

TEST(CommandString, HeadFieldsSerialAndRawAppendInOrder) {
  CommandString command(9, u"ab", u"c");
  command.Field(u"ORDERID", u"7").Field(u"DEST", u"").Serial().Raw(u"&TEST=1");
  const std::u16string serial = EncodeParameter(SerialToken());
  EXPECT_EQ(command.str(),
            u"CMD=9&UID=%61%62&PWD=%63&ORDERID=%37&DEST=&SERIAL=" + serial + u"&TEST=1");
}

TEST(CommandString, ThreadHeadCarriesTheStoredDigests) {
  control::ControlState& state = control::ThisThreadState();
  const control::ControlState saved = state;
  state.UserNameDigest = control::Md5Digest(u" name ");
  state.PasswordDigest = control::Md5Digest(u"secret");
  const std::u16string fromThread = CommandString(15).str();
  state = saved;
  EXPECT_EQ(fromThread,
            CommandString(15, control::Md5Digest(u" name "), control::Md5Digest(u"secret")).str());
  EXPECT_EQ(fromThread.size(), std::u16string(u"CMD=15&UID=&PWD=").size() + 2 * 96);
}

}  // namespace
}  // namespace orvulink::gateway
