// Command strings and their texts: the parser, the code page, UTF-8 and the credential digest.
#include <gtest/gtest.h>

#include "sim/command_parser.hpp"
#include "sim/credential_digest.hpp"
#include "sim/utf8.hpp"
#include "sim/windows1252.hpp"

#include <ostream>
#include <random>
#include <string>

namespace orvulink::sim {
namespace {

TEST(CommandParser, SplitsFieldsInOrderAndDecodesValues) {
  const auto result = ParseCommand("CMD=2&UID=%61%62&PWD=&SERIAL=%4F%4C");
  ASSERT_TRUE(result.command) << result.error;
  const auto& fields = result.command->fields;
  ASSERT_EQ(fields.size(), 4U);
  EXPECT_EQ(fields[0].name, "CMD");
  EXPECT_EQ(fields[0].text, "2");
  EXPECT_EQ(fields[1].raw, "%61%62");
  EXPECT_EQ(fields[1].text, "ab");
  EXPECT_EQ(fields[2].text, "");
  EXPECT_EQ(fields[3].text, "OL");
  EXPECT_EQ(result.command->Find("SERIAL"), &fields[3]);
  EXPECT_EQ(result.command->Find("KEY"), nullptr);
}

TEST(CommandParser, DecodesValuesOrRefusesAMalformedBody) {
  const std::pair<const char*, std::string> decoded[] = {
      {"A=%E8", "\u00e8"},                 // a code-page byte
      {"A=%80", "\u20ac"},                 // the euro sign
      {"A=%e8%2b", "\u00e8+"},             // lower-case digits
      {"A=a+b", "a+b"},                    // plus is no blank
      {"A=%31\t%32\r\n%33", "1\t2\r\n3"},  // separators left unencoded
      {"A=x=y", "x=y"},                    // a second equals sign is data
      {"A_1=%00", std::string(1, '\0')}};
  for (const auto& [body, text] : decoded) {
    const auto result = ParseCommand(body);
    ASSERT_TRUE(result.command) << body << ": " << result.error;
    EXPECT_EQ(result.command->fields.back().text, text) << body;
  }
  for (const char* body : {"", "CMD", "=2", "cmd=2", "CMD=2&", "&CMD=2", "CMD=2&&UID=", "A B=1",
                           "A=%", "A=%4", "A=%G1", "A=%4G", "A=%%41", "A=%41%", "CMD=2&UID=%6"}) {
    const auto result = ParseCommand(body);
    EXPECT_FALSE(result.command) << body;
    EXPECT_FALSE(result.error.empty()) << body;
  }
}

TEST(Windows1252, MapsBothWays) {
  const std::pair<std::string, std::string> bytes[] = {
      {"A", "A"},         {"\t", "\t"},       {"\x80", "\u20ac"},  // euro sign
      {"\x8A", "\u0160"},                                          // S caron
      {"\x9F", "\u0178"},                                          // Y diaeresis
      {"\x81", "\u0081"},                                          // unassigned
      {"\xA0", "\u00a0"}, {"\xE8", "\u00e8"}, {"\xFF", "\u00ff"}};
  for (const auto& [byte, utf8] : bytes) {
    EXPECT_EQ(Utf8FromWindows1252(byte), utf8);
    EXPECT_EQ(Windows1252FromUtf8(utf8), byte);
  }
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

TEST(CredentialDigest, IsLowerHexOfTheLowBytes) {
  const std::pair<std::string, std::string> digests[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"\u00e8", "785d512be4316d578e6650613b45e934"},  // byte E8
      // U+20AC keeps its low byte AC, as the component digests it (not 80)
      {"\u20ac", "20a7f30fb9f8e145422b66b3d4f4da70"},
      {"universit\u00e0", "36a68365fb2f294e7d52198c4a4f9a42"}};
  for (const auto& [text, digest] : digests)
    EXPECT_EQ(CredentialDigest(text), digest);
}

}  // namespace
}  // namespace orvulink::sim
