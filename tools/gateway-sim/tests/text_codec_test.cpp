#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "sim/credential_digest.hpp"
#include "sim/utf8.hpp"
#include "sim/windows1252.hpp"

namespace orvulink::sim {
namespace {

struct CodePageCase {
  std::string byte;
  std::string utf8;
};

// Named by the byte in hexadecimal, so test names stay plain ASCII.
void PrintTo(const CodePageCase& c, std::ostream* os) {
  *os << "byte_" << std::hex << static_cast<int>(static_cast<unsigned char>(c.byte.at(0)));
}

class Windows1252Maps : public testing::TestWithParam<CodePageCase> {};

TEST_P(Windows1252Maps, BothWays) {
  EXPECT_EQ(Utf8FromWindows1252(GetParam().byte), GetParam().utf8);
  EXPECT_EQ(Windows1252FromUtf8(GetParam().utf8), GetParam().byte);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Windows1252Maps,
                         testing::Values(CodePageCase{"A", "A"}, CodePageCase{"\t", "\t"},
                                         CodePageCase{"\x80", "\u20ac"},  // euro sign
                                         CodePageCase{"\x8A", "\u0160"},  // S caron
                                         CodePageCase{"\x9F", "\u0178"},  // Y diaeresis
                                         CodePageCase{"\x81", "\u0081"},  // unassigned
                                         CodePageCase{"\xA0", "\u00a0"},
                                         CodePageCase{"\xE8", "\u00e8"},
                                         CodePageCase{"\xFF", "\u00ff"}));

TEST(Windows1252, EveryByteRoundTrips) {
  std::string bytes;
  for (int b = 0; b < 256; ++b)
    bytes.push_back(static_cast<char>(b));
  EXPECT_EQ(Windows1252FromUtf8(Utf8FromWindows1252(bytes)), bytes);
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Windows1252FromUtf8("a\u65e5b"), "a?b");             // one per character
  EXPECT_EQ(Windows1252FromUtf8("\U0001F600"), "?");             // not one per byte
  EXPECT_EQ(Windows1252FromUtf8("\u0080"), "?");                 // a C1 control with a glyph byte
  EXPECT_EQ(Windows1252FromUtf8(std::string("x\xFFy")), "x?y");  // broken UTF-8
}

TEST(Utf8, BrokenSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(DecodeUtf8("\xC0\xAF"), (std::u32string{kReplacementCharacter, kReplacementCharacter}));
  EXPECT_EQ(DecodeUtf8("\xE2\x82"), (std::u32string{kReplacementCharacter, kReplacementCharacter}));
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80").front(), kReplacementCharacter);      // a surrogate
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80").front(), kReplacementCharacter);  // past U+10FFFF
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80"), std::u32string{U'\U0001F600'});
}

TEST(Utf8, Utf16UnitsCountAsTheComponentCounts) {
  EXPECT_EQ(Utf16FromUtf8("\u00e9"), u"\u00e9");
  EXPECT_EQ(Utf16FromUtf8("\U0001F600"), (std::u16string{0xD83D, 0xDE00}));
}

struct DigestCase {
  std::string text;
  std::string digest;
};

void PrintTo(const DigestCase& c, std::ostream* os) {
  *os << c.digest;
}

class CredentialDigests : public testing::TestWithParam<DigestCase> {};

TEST_P(CredentialDigests, LowerHexOfTheLowBytes) {
  EXPECT_EQ(CredentialDigest(GetParam().text), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(
    Credentials, CredentialDigests,
    testing::Values(DigestCase{"", "d41d8cd98f00b204e9800998ecf8427e"},
                    DigestCase{"abc", "900150983cd24fb0d6963f7d28e17f72"},
                    DigestCase{"\u00e8", "785d512be4316d578e6650613b45e934"},  // byte E8
                    // U+20AC keeps its low byte AC, as the component digests it (not 80)
                    DigestCase{"\u20ac", "20a7f30fb9f8e145422b66b3d4f4da70"},
                    DigestCase{"universit\u00e0", "36a68365fb2f294e7d52198c4a4f9a42"}));

}  // namespace
}  // namespace orvulink::sim
