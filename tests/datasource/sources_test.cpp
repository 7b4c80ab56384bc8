// Request paths and the converters of recorded answers.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "datasource/sources.h"

namespace {

TEST(Paths, FlagsPickTheCodesAndControlBytesAreEncoded) {
  const struct {
    bool date, time;
    const char* path;
  } quotes[] = {
      {false, false, "/d/quotes.csv?s=IBM&f=l1"},
      {true, false, "/d/quotes.csv?s=IBM&f=d1l1"},
      {false, true, "/d/quotes.csv?s=IBM&f=t1l1"},
      {true, true, "/d/quotes.csv?s=IBM&f=d1t1l1"},
  };
  for (const auto& q : quotes) EXPECT_EQ(zr::yahooQuotePath("IBM", q.date, q.time), q.path);

  // a cell cannot end the request line or add a header line
  const std::string ticker = "A B\r\nX:\x7f\xff%+^!~";
  EXPECT_EQ(zr::yahooQuotePath(ticker, false, false), "/d/quotes.csv?s=A%20B%0D%0AX:%7F%FF%+^!~&f=l1");
  EXPECT_EQ(zr::googleQuotePath(ticker), "/finance/info?client=ig&q=A%20B%0D%0AX:%7F%FF%+^!~");
  EXPECT_EQ(zr::yahooHistoryPath("IBM", {"0", "15", "2010", "1", "28", "2011"}, "w\n"),
            "/table.csv?s=IBM&a=0&b=15&c=2010&d=1&e=28&f=2011&g=w%0A&ignore=.csv");
}

TEST(QuoteConverters, AnswersBecomeArrayConstants) {
  const std::pair<std::string, std::string> csv[] = {
      {"132.31\r\n", "{132.31}"},
      {"\"IBM\",\"1/15/2010\",132.31\r\n\"XYZ\",N/A,N/A\r\n\r\n", "{\"IBM\",\"1/15/2010\",132.31;\"XYZ\",#N/A,#N/A}"},
  };
  for (const auto& c : csv) EXPECT_EQ(zr::quote_csv_to_array(c.first), c.second);
  for (const char* noLineEnd : {"", "132.31", "1\n2\r"}) {
    try {
      zr::quote_csv_to_array(noLineEnd);
      ADD_FAILURE() << noLineEnd;
    } catch (const std::out_of_range& e) {
      EXPECT_STREQ(e.what(), "invalid string position");
    }
  }
  // only the first "//", brackets and braces go; separators in values split them
  EXPECT_EQ(zr::google_answer_to_array("// [{\"t\":\"GOOG\",\"l\":\"1,021.57\",\"x\":\"N/A\"}] {}"),
            "{ \"t\",\"GOOG\";\"l\",\"1;021.57\";\"x\",\"#N/A\" {}}");
  EXPECT_EQ(zr::google_answer_to_array(""), "{}");
}

const char* const recordedHistory =
    "Date,Open,High,Low,Close,Volume,Adj Close\n"
    "2011-02-28,162.24,163.0,161.5,162.28,5240200,152.04\n"
    "2010-01-15,132.03,132.89,131.09,131.78,8494400,120.42\n";

TEST(HistoryConverter, RowsOfSevenFields) {
  auto rows = zr::historical_csv_to_array(recordedHistory, true);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][0], "Date");
  EXPECT_EQ(rows[0][6], "Adj Close");
  EXPECT_EQ(rows[2][0], "2010-01-15");
  EXPECT_EQ(rows[2][6], "120.42");
  rows = zr::historical_csv_to_array(recordedHistory, false);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "2011-02-28");
  // a title line alone, skipped, leaves nothing
  EXPECT_TRUE(zr::historical_csv_to_array("Sorry\n", false).empty());
}

TEST(HistoryConverter, UnexpectedAnswersFailAtTheirEnd) {
  const std::string head = "Date,Open,High,Low,Close,Volume,Adj Close\n";
  const struct {
    std::string answer;
    bool headers;
    const char* message;
  } cases[] = {
      {"", true, "the answer is empty"},
      {head + "2010-01-15,1,2,3,4,5,6", false, "the answer does not end with a line break"},
      {"Not Found", false, "the answer does not end with a line break"},
      {"Not Found\n", true, "line 1 has fewer than seven fields"},
      {head + "2010-01-15,1,2\n2010-01-14,1,2,3,4,5,6\n", false, "line 2 has fewer than seven fields"},
      {head + "\n", false, "line 2 has fewer than seven fields"},
  };
  for (const auto& c : cases) {
    try {
      zr::historical_csv_to_array(c.answer, c.headers);
      ADD_FAILURE() << c.answer;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), std::string("historical_csv_to_array - ") + c.message) << c.answer;
    }
  }
}

}  // namespace
