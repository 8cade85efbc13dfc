#include "sim/send_data.hpp"

#include <gtest/gtest.h>

#include "send_builder.hpp"
#include "sim/sms_parts.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;

TEST(SendData, FieldsAreDecodedOneByOneSoEncodedSeparatorsStayText) {
  const auto lines = ParseSendData(SendData(
      {{"0", "Caff\u00e8", "+393331111111,+393332222222", "a\tb\r\nc", "0000-00-00", "00:00"},
       {"7", "Orvu", "+393333333333", "x", "2024-02-29", "23:59"}}));
  ASSERT_TRUE(lines && lines->size() == 2);
  EXPECT_EQ((*lines)[0].sender, "Caff\u00e8");
  EXPECT_EQ((*lines)[0].recipients, (std::vector<std::string>{"+393331111111", "+393332222222"}));
  EXPECT_EQ((*lines)[0].text, "a\tb\r\nc");
  EXPECT_FALSE((*lines)[0].send_at);
  ASSERT_TRUE((*lines)[1].send_at);
  EXPECT_EQ((*lines)[1].send_at->day, 29);
  EXPECT_EQ((*lines)[1].send_at->minute, 59);
}

SendLineSpec At(std::string date, std::string time) {
  return SendLineSpec{"0", "Orvu", "+393331111111", "Hi", std::move(date), std::move(time)};
}

class MalformedSendData : public testing::TestWithParam<std::string> {};

TEST_P(MalformedSendData, IsRefused) {
  EXPECT_FALSE(ParseSendData(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedSendData,
    testing::Values("", SendData({{}}) + "\t", SendData({{}}).erase(SendData({{}}).rfind('\t')),
                    SendData({{}}) + "\r\n", SendData({{}}) + "\n" + SendData({{}}),
                    SendData({{}}) + "%4", SendData({{"A"}}), SendData({{"-1"}}),
                    SendData({{"0", "Orvu", ""}}), SendData({{"0", "Orvu", "+393331111111,"}}),
                    SendData({At("2023-02-29", "10:00")}), SendData({At("15-01-2024", "10:00")}),
                    SendData({At("2024-01-15", "24:00")}), SendData({At("2024-01-15", "10:00:00")}),
                    SendData({At("0000-00-00", "10:00")})));

struct PartsCase {
  const char* name;
  std::string text;
  int parts;
};

void PrintTo(const PartsCase& c, std::ostream* os) {
  *os << c.name;
}

class SmsParts : public testing::TestWithParam<PartsCase> {};

TEST_P(SmsParts, AsTheComponentCountsThem) {
  EXPECT_EQ(CountSmsParts(GetParam().text), GetParam().parts);
}

std::string Run(std::size_t count, const char* c = "a") {
  std::string text;
  while (count-- > 0)
    text += c;
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SmsParts,
    testing::Values(PartsCase{"Empty", "", 1},
                    PartsCase{"WordsOf78And78", Run(78) + " " + Run(78), 1},
                    PartsCase{"WordsOf78And79", Run(78) + " " + Run(79), 2},
                    PartsCase{"WordOf157", Run(157), 2}, PartsCase{"WordOf312", Run(312), 2},
                    PartsCase{"WordOf313", Run(313), 3},
                    PartsCase{"WordMovesWhole", Run(100) + " " + Run(100), 2},
                    PartsCase{"AccentsCountOnce", Run(78, "\u00e8") + " " + Run(78, "\u00e8"), 1},
                    PartsCase{"DoubleSpaceTakesRoom", Run(78) + "  " + Run(78), 2}),
    CaseName<PartsCase>);

}  // namespace
}  // namespace orvulink::sim
