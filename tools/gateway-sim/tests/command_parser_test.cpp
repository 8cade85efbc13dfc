#include "sim/command_parser.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace orvulink::sim {
namespace {

// Joins the fields back into a command string; a parse must lose nothing.
std::string Rejoin(const ParsedCommand& command) {
  std::string body;
  for (const auto& field : command.fields) {
    if (!body.empty()) body += "&";
    body += field.name + "=" + field.raw;
  }
  return body;
}

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

struct DecodeCase {
  const char* name;
  const char* body;
  std::string text;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class CommandParserDecodes : public testing::TestWithParam<DecodeCase> {};

TEST_P(CommandParserDecodes, ValueText) {
  const auto result = ParseCommand(GetParam().body);
  ASSERT_TRUE(result.command) << result.error;
  EXPECT_EQ(result.command->fields.back().text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, CommandParserDecodes,
                         testing::Values(DecodeCase{"CodePageByte", "A=%E8", "\u00e8"},
                                         DecodeCase{"EuroSign", "A=%80", "\u20ac"},
                                         DecodeCase{"LowerCaseDigits", "A=%e8%2b", "\u00e8+"},
                                         DecodeCase{"PlusIsNoBlank", "A=a+b", "a+b"},
                                         DecodeCase{"UnencodedSeparators", "A=%31\t%32\r\n%33",
                                                    "1\t2\r\n3"},
                                         DecodeCase{"SecondEqualsIsData", "A=x=y", "x=y"},
                                         DecodeCase{"NulByte", "A_1=%00", std::string(1, '\0')}));

class CommandParserRefuses : public testing::TestWithParam<const char*> {};

TEST_P(CommandParserRefuses, MalformedBody) {
  const auto result = ParseCommand(GetParam());
  EXPECT_FALSE(result.command);
  EXPECT_FALSE(result.error.empty());
}

INSTANTIATE_TEST_SUITE_P(Malformed, CommandParserRefuses,
                         testing::Values("", "CMD", "=2", "cmd=2", "CMD=2&", "&CMD=2",
                                         "CMD=2&&UID=", "A B=1", "A=%", "A=%4", "A=%G1", "A=%4G",
                                         "A=%%41", "A=%41%", "CMD=2&UID=%6"));

TEST(CommandParser, HugeValidBodyParsesWhole) {
  std::string body = "A=";
  for (int i = 0; i < 1 << 18; ++i)
    body += "%41";
  const auto result = ParseCommand(body);
  ASSERT_TRUE(result.command) << result.error;
  EXPECT_EQ(result.command->fields[0].text, std::string(1 << 18, 'A'));
}

TEST(CommandParser, ManyFieldsParse) {
  std::string body = "A=1";
  for (int i = 0; i < 50'000; ++i)
    body += "&B=2";
  const auto result = ParseCommand(body);
  ASSERT_TRUE(result.command);
  EXPECT_EQ(result.command->fields.size(), 50'001U);
}

TEST(CommandParser, HugeBrokenBodyIsRefused) {
  EXPECT_FALSE(ParseCommand("A=" + std::string(1 << 20, '%')).command);
  EXPECT_FALSE(ParseCommand(std::string(1 << 20, '&')).command);
}

// Random bodies from the characters that matter: never a crash, and whatever parses can be
// rejoined into exactly the body it came from.
TEST(CommandParser, RandomBodiesParseOrFailCleanly) {
  static constexpr char kAlphabet[] = "AZ09_=&%%%fFgx\t\r\n\xE8\xFF";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 20'000; ++round) {
    std::string body;
    for (int i = length(random); i > 0; --i)
      body += kAlphabet[pick(random)];
    const auto result = ParseCommand(body);
    EXPECT_NE(result.command.has_value(), !result.error.empty()) << body;
    if (result.command) {
      EXPECT_EQ(Rejoin(*result.command), body);
    }
  }
}

TEST(PercentDecode, EveryByteRoundTrips) {
  std::string encoded;
  std::string bytes;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int b = 0; b < 256; ++b) {
    encoded += {'%', kDigits[b >> 4], kDigits[b & 15]};
    bytes.push_back(static_cast<char>(b));
  }
  EXPECT_EQ(PercentDecode(encoded), bytes);
}

}  // namespace
}  // namespace orvulink::sim
