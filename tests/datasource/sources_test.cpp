// What the sheet cannot show: the encoded request bytes, the refusal of an
// answer that is no array constant, and why the history converter refuses an
// answer (the history function stores no message).
#include <gtest/gtest.h>

#include "datasource/sources.h"

TEST(Sources, EncodedRequestsAndRefusedAnswers) {
  EXPECT_EQ(zr::googleQuotePath("A B\r\nX:\x7f\xff%+!~"),
            "/finance/info?client=ig&q=A%20B%0D%0AX:%7F%FF%+!~");
  EXPECT_EQ(zr::yahooHistoryPath("I", {"0", "1", "2", "3", "4", "5"}, "w\n"),
            "/table.csv?s=I&a=0&b=1&c=2&d=3&e=4&f=5&g=w%0A&ignore=.csv");

  // a formula could call functions through the host's evaluation
  for (const char* text : {"{1}+F(2)+{1}", "{1,\"a\"}b,c", "{\"}", "1"})
    EXPECT_ANY_THROW(zr::requireArrayConstant(text));
  EXPECT_NO_THROW(zr::requireArrayConstant("{\"A (B) {C}\",#N/A;-1.5,\"\"\"\"}"));

  const std::string head = "Date,Open,High,Low,Close,Volume,Adj Close\n", row = "2010-01-15,1,2,3,4,5,6\n";
  const std::pair<std::string, const char*> bad[] = {
      {"", "the answer is empty"},
      {head + row + "2010-01-14,1", "the answer does not end with a line break"},
      {head + "2010-01-15,1,2\n" + row, "line 2 has fewer than seven fields"},
      {head + row + "\n", "line 3 has fewer than seven fields"},
  };
  for (const auto& c : bad) {
    try {
      zr::historical_csv_to_array(c.first, false);
      ADD_FAILURE() << c.first;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), std::string("historical_csv_to_array - ") + c.second);
    }
  }
}
