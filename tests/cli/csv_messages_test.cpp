// The send command's input readers: CSV lists, send times, host text.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "csv_messages.hpp"
#include "host_text.hpp"
#include "send_time.hpp"

namespace orvulink::cli_test {
namespace {

constexpr char kHeader[] = "PhoneGsm,MessageText,Sender,DateTime\n";

TEST(CsvMessagesTest, ReadsTheRows) {
  struct Expected {
    std::size_t line;
    std::string phone, text, sender;
    std::optional<DateParts> at;
  };
  const struct {
    std::string name, content, default_sender;
    std::vector<Expected> rows;
  } cases[] = {
      // The quoted text spans lines 2-3, so the next record starts on line 4.
      {"quotes, commas, newlines",
       std::string(kHeader) +
           "+391,\"Hi, \"\"you\"\"\nbye\",ACME,\n+392,plain,\"A,B\",2030-01-02 12:30\n",
       "",
       {{2, "+391", "Hi, \"you\"\nbye", "ACME", std::nullopt},
        {4, "+392", "plain", "A,B", DateParts{2030, 1, 2, 12, 30, 0}}}},
      {"BOM, CR LF, blank lines, any column order, no date column",
       "\xEF\xBB\xBF sender ,PHONEGSM,messagetext\r\n\r\nACME,+391,a\r\n\r\nACME,+392,b",
       "",
       {{3, "+391", "a", "ACME", std::nullopt}, {5, "+392", "b", "ACME", std::nullopt}}},
      {"default sender fills empty cells",
       "PhoneGsm,MessageText,Sender\n+391,a,\n+392,b,OWN\n",
       "DEF",
       {{2, "+391", "a", "DEF", std::nullopt}, {3, "+392", "b", "OWN", std::nullopt}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto rows = cli::ReadCsvMessages(c.content, c.default_sender);
    ASSERT_EQ(rows.size(), c.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].line, c.rows[i].line) << i;
      EXPECT_EQ(rows[i].phone, c.rows[i].phone) << i;
      EXPECT_EQ(rows[i].text, c.rows[i].text) << i;
      EXPECT_EQ(rows[i].sender, c.rows[i].sender) << i;
      EXPECT_EQ(rows[i].at, c.rows[i].at) << i;
    }
  }
}

TEST(CsvMessagesTest, ReportsTheFirstBadLineAndWhy) {
  const struct {
    std::string content;
    std::size_t line;
    std::string words;
  } cases[] = {
      {"PhoneGsm,Sender,DateTime\n+391,ACME,\n", 1, "missing column MessageText"},
      {"PhoneGsm,MessageText,Sendr\n", 1, "unknown column"},
      {std::string(kHeader) + "+391,a,ACME,\n+392,b,ACME,2030-02-30 10:00\n", 3, "DateTime"},
      {std::string(kHeader) + "+391,a,ACME,\n+392,b\n", 3, "2 fields"},
      // An unclosed quote is reported where it opens.
      {std::string(kHeader) + "+391,\"a\n\nb,ACME,\n", 2, "not closed"},
      {std::string(kHeader) + "+391,citt\xE0,ACME,\n", 2, "not UTF-8"},
      {"", 1, "no header"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words);
    try {
      cli::ReadCsvMessages(c.content, "");
      ADD_FAILURE() << "no error";
    } catch (const cli::CsvError& error) {
      EXPECT_EQ(error.line(), c.line) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
    }
  }
}

TEST(SendTimeTest, TakesOnlyRealTimesInTheOneForm) {
  EXPECT_EQ(cli::ParseSendTime(" 2028-02-29 23:59 "), (DateParts{2028, 2, 29, 23, 59, 0}));
  for (const char* text : {"2027-02-29 10:00", "2030-01-02 24:00", "2030-1-02 10:00",
                           "2030-+1-02 10:00", "2030-01-02T10:00", "2030-01-02 10:00:00"}) {
    EXPECT_EQ(cli::ParseSendTime(text), std::nullopt) << text;
  }
}

TEST(HostTextTest, LineBreaksBecomeCrLfOnceAndMalformedUtf8IsRefused) {
  EXPECT_EQ(cli::WithCrLfLineBreaks("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
  EXPECT_TRUE(cli::IsValidUtf8("città € \xF0\x9F\x98\x80"));
  for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80", "\x80"})
    EXPECT_FALSE(cli::IsValidUtf8(bad)) << testing::PrintToString(bad);
}

}  // namespace
}  // namespace orvulink::cli_test
