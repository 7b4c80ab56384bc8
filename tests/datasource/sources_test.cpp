// What the sheet cannot show: the encoded request bytes, and why an answer is
// refused (the history function stores no message).
#include <gtest/gtest.h>

#include "datasource/sources.h"

TEST(Sources, EncodedRequestsAndRefusedAnswers) {
  EXPECT_EQ(ZR::googleQuotePath("A B\r\nX:\x7f\xff%+!~"), "/finance/info?client=ig&q=A%20B%0D%0AX:%7F%FF%+!~");
  EXPECT_NO_THROW(ZR::requireArrayConstant("{\"A (B) {C}\",#N/A;-1.5,\"\"\"\"}"));
  const std::string head = "Date,Open,High,Low,Close,Volume,Adj Close\n", row = "2010-01-15,1,2,3,4,5,6\n";
  const std::string constant = "DataSourceExports - the answer is not an array constant";
  const std::string history = "historical_csv_to_array - ";
  const std::pair<std::string, std::string> refused[] = {
      // an answer that could call functions through the host's evaluation
      {"{1}+F(2)+{1}", constant}, {"{F(2)}", constant}, {"{1,\"a\"}b,c", constant}, {"{\"}", constant},
      {"1", constant},
      {"", history + "the answer is empty"},
      {head + row + "2010-01-14,1", history + "the answer does not end with a line break"},
      {head + "2010-01-15,1,2\n" + row, history + "line 2 has fewer than seven fields"},
      {head + row + "\n", history + "line 3 has fewer than seven fields"},
  };
  for (const auto& c : refused) {
    try {
      c.second == constant ? ZR::requireArrayConstant(c.first) : void(ZR::historical_csv_to_array(c.first, false));
      ADD_FAILURE() << c.first;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), c.second);
    }
  }
}
