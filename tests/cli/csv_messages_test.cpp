// The send command's input readers: CSV lists, send times, host text.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cli_fixture.hpp"
#include "csv_messages.hpp"
#include "host_text.hpp"
#include "send_time.hpp"

namespace orvulink::cli_test {
namespace {

using cli::CsvError;
using cli::CsvMessage;

constexpr char kHeader[] = "PhoneGsm,MessageText,Sender,DateTime\n";

struct Expected {
  std::size_t line;
  std::string phone, text, sender;
  std::optional<DateParts> at;
};

struct CsvCase {
  std::string name;
  std::string content;
  std::string default_sender;
  std::vector<Expected> rows;  // when the file is good
  std::size_t error_line = 0;  // when it is not: the line reported ...
  std::string error_words;     // ... and words of the reason
  friend void PrintTo(const CsvCase& c, std::ostream* os) { *os << c.name; }
};

class CsvMessagesTest : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvMessagesTest, ReadsTheRowsOrReportsTheFirstBadLine) {
  const auto& param = GetParam();
  if (param.error_line != 0) {
    try {
      cli::ReadCsvMessages(param.content, param.default_sender);
      FAIL() << "no error";
    } catch (const CsvError& error) {
      EXPECT_EQ(error.line(), param.error_line) << error.what();
      EXPECT_NE(std::string(error.what()).find(param.error_words), std::string::npos)
          << error.what();
    }
    return;
  }
  const auto rows = cli::ReadCsvMessages(param.content, param.default_sender);
  ASSERT_EQ(rows.size(), param.rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].line, param.rows[i].line) << i;
    EXPECT_EQ(rows[i].phone, param.rows[i].phone) << i;
    EXPECT_EQ(rows[i].text, param.rows[i].text) << i;
    EXPECT_EQ(rows[i].sender, param.rows[i].sender) << i;
    EXPECT_EQ(rows[i].at, param.rows[i].at) << i;
  }
}

const DateParts kNoon{2030, 1, 2, 12, 30, 0};

INSTANTIATE_TEST_SUITE_P(
    Files, CsvMessagesTest,
    testing::Values(
        // The quoted text spans lines 2-3, so the next record starts on line 4.
        CsvCase{"quotes_commas_newlines",
                std::string(kHeader) +
                    "+391,\"Hi, \"\"you\"\"\nbye\",ACME,\n+392,plain,\"A,B\",2030-01-02 12:30\n",
                "",
                {{2, "+391", "Hi, \"you\"\nbye", "ACME", std::nullopt},
                 {4, "+392", "plain", "A,B", kNoon}},
                0,
                ""},
        CsvCase{"bom_crlf_blank_lines_any_order_no_date_column",
                "\xEF\xBB\xBF sender ,PHONEGSM,messagetext\r\n\r\nACME,+391,a\r\n\r\nACME,+392,b",
                "",
                {{3, "+391", "a", "ACME", std::nullopt}, {5, "+392", "b", "ACME", std::nullopt}},
                0,
                ""},
        CsvCase{"default_sender_fills_empty_cells",
                "PhoneGsm,MessageText,Sender\n+391,a,\n+392,b,OWN\n",
                "DEF",
                {{2, "+391", "a", "DEF", std::nullopt}, {3, "+392", "b", "OWN", std::nullopt}},
                0,
                ""},
        CsvCase{"missing_column",
                "PhoneGsm,Sender,DateTime\n+391,ACME,\n",
                "",
                {},
                1,
                "missing column MessageText"},
        CsvCase{"missing_sender_column_without_default",
                "PhoneGsm,MessageText\n+391,a\n",
                "",
                {},
                1,
                "missing column Sender"},
        CsvCase{"unknown_column", "PhoneGsm,MessageText,Sendr\n", "", {}, 1, "unknown column"},
        CsvCase{"bad_date_on_its_line",
                std::string(kHeader) + "+391,a,ACME,\n+392,b,ACME,2030-02-30 10:00\n",
                "",
                {},
                3,
                "DateTime"},
        CsvCase{
            "short_row", std::string(kHeader) + "+391,a,ACME,\n+392,b\n", "", {}, 3, "2 fields"},
        CsvCase{"unclosed_quote_reported_where_it_opens",
                std::string(kHeader) + "+391,\"a\n\nb,ACME,\n",
                "",
                {},
                2,
                "not closed"},
        CsvCase{"text_after_closing_quote",
                std::string(kHeader) + "+391,\"a\"b,ACME,\n",
                "",
                {},
                2,
                "closing quote"},
        CsvCase{"empty_phone",
                std::string(kHeader) + "+391,a,ACME,\n ,b,ACME,\n",
                "",
                {},
                3,
                "PhoneGsm is empty"},
        CsvCase{
            "latin1_text", std::string(kHeader) + "+391,citt\xE0,ACME,\n", "", {}, 2, "not UTF-8"},
        CsvCase{"empty_file", "", "", {}, 1, "no header"}),
    CaseName());

struct TimeCase {
  std::string name;
  std::string text;
  std::optional<DateParts> parts;
  friend void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }
};

class SendTimeTest : public testing::TestWithParam<TimeCase> {};

TEST_P(SendTimeTest, TakesOnlyRealTimesInTheOneForm) {
  EXPECT_EQ(cli::ParseSendTime(GetParam().text), GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SendTimeTest,
    testing::Values(TimeCase{"leap_day", " 2028-02-29 23:59 ", DateParts{2028, 2, 29, 23, 59, 0}},
                    TimeCase{"no_leap_day", "2027-02-29 10:00", std::nullopt},
                    TimeCase{"hour_24", "2030-01-02 24:00", std::nullopt},
                    TimeCase{"one_digit_month", "2030-1-02 10:00", std::nullopt},
                    TimeCase{"signed_field", "2030-+1-02 10:00", std::nullopt},
                    TimeCase{"iso_t", "2030-01-02T10:00", std::nullopt},
                    TimeCase{"seconds", "2030-01-02 10:00:00", std::nullopt}),
    CaseName());

TEST(HostTextTest, LineBreaksBecomeCrLfOnce) {
  EXPECT_EQ(cli::WithCrLfLineBreaks("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
}

TEST(HostTextTest, RefusesMalformedUtf8) {
  EXPECT_TRUE(cli::IsValidUtf8("città € \xF0\x9F\x98\x80"));
  for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80", "\x80"})
    EXPECT_FALSE(cli::IsValidUtf8(bad)) << testing::PrintToString(bad);
}

}  // namespace
}  // namespace orvulink::cli_test
