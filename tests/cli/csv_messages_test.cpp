// The send command's input readers: CSV lists, send times, host text.
#include <gtest/gtest.h>

#include "csv_messages.hpp"
#include "host_text.hpp"
#include "send_time.hpp"

namespace orvulink::cli_test {
namespace {

TEST(CsvMessagesTest, ReadsTheRowsWithTheirLineNumbers) {
  const struct {
    std::string content, default_sender;
    std::vector<std::string> rows;  // line|phone|text|sender|minute of the send time or -
  } cases[] = {
      // The quoted text spans lines 2-3, so the next record starts on line 4.
      {"PhoneGsm,MessageText,Sender,DateTime\n+391,\"Hi, \"\"you\"\"\nbye\",ACME,\n"
       "+392,plain,\"A,B\",2030-01-02 12:30\n",
       "",
       {"2|+391|Hi, \"you\"\nbye|ACME|-", "4|+392|plain|A,B|30"}},
      {"\xEF\xBB\xBF sender ,PHONEGSM,messagetext\r\n\r\nACME,+391,a\r\n\r\n,+392,b",
       "DEF",
       {"3|+391|a|ACME|-", "5|+392|b|DEF|-"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> rows;
    for (const auto& row : cli::ReadCsvMessages(c.content, c.default_sender))
      rows.push_back(std::to_string(row.line) + "|" + row.phone + "|" + row.text + "|" +
                     row.sender + "|" + (row.at ? std::to_string(row.at->minute) : "-"));
    EXPECT_EQ(rows, c.rows);
  }
}

TEST(CsvMessagesTest, ReportsTheFirstBadLineAndWhy) {
  const std::string header = "PhoneGsm,MessageText,Sender,DateTime\n";
  const std::tuple<std::string, std::size_t, std::string> cases[] = {
      {"PhoneGsm,Sender,DateTime\n+391,ACME,\n", 1, "missing column MessageText"},
      {"PhoneGsm,MessageText,Sendr\n", 1, "unknown column"},
      {header + "+391,a,ACME,\n+392,b,ACME,2030-02-30 10:00\n", 3, "DateTime"},
      {header + "+391,a,ACME,\n+392,b\n", 3, "2 fields"},
      {header + "+391,\"a\n\nb,ACME,\n", 2, "not closed"},  // where the quote opens
      {header + "+391,citt\xE0,ACME,\n", 2, "not UTF-8"},
      {"", 1, "no header"}};
  for (const auto& [content, line, words] : cases) {
    try {
      cli::ReadCsvMessages(content, "");
      ADD_FAILURE() << "no error: " << words;
    } catch (const cli::CsvError& error) {
      EXPECT_EQ(error.line(), line) << error.what();
      EXPECT_NE(std::string(error.what()).find(words), std::string::npos) << error.what();
    }
  }
}

TEST(SendTimeTest, TakesOnlyRealTimesInTheOneFormAndHostTextGetsCrLf) {
  EXPECT_EQ(cli::ParseSendTime(" 2028-02-29 23:59 "), (DateParts{2028, 2, 29, 23, 59, 0}));
  for (const char* text : {"2027-02-29 10:00", "2030-01-02 24:00", "2030-1-02 10:00",
                           "2030-+1-02 10:00", "2030-01-02T10:00", "2030-01-02 10:00:00"})
    EXPECT_EQ(cli::ParseSendTime(text), std::nullopt) << text;
  EXPECT_EQ(cli::WithCrLfLineBreaks("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
  EXPECT_TRUE(cli::IsValidUtf8("città € \xF0\x9F\x98\x80"));
  for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80", "\x80"})
    EXPECT_FALSE(cli::IsValidUtf8(bad)) << testing::PrintToString(bad);
}

}  // namespace
}  // namespace orvulink::cli_test
