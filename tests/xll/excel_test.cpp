// Calls into the host through the framework's wrappers, against the
// simulated host with no add-in loaded.
#include <gtest/gtest.h>

#include <vector>

#include "host/host.h"
#include "xll/excel.h"

namespace {

class HostCalls : public ::testing::Test {
 protected:
  HostCalls() { standin::reset(); }
  xlsim::Host host;
};

TEST_F(HostCalls, ThirtyArgumentsReachTheHostThirtyOneDoNot) {
  std::vector<OPER> parts(31, OPER("a"));
  std::vector<xloper*> p;
  for (OPER& o : parts) p.push_back(&o);
  xloper res;
  ASSERT_EQ(xll::traits<xloper>::Excelv(xlfConcatenate, &res, 30, p.data()), xlretSuccess);
  EXPECT_EQ(OPER(res).text(), std::string(30, 'a'));
  xll::traits<xloper>::Excel(xlFree, nullptr, 1, &res);
  EXPECT_EQ(host.outstanding(), 0);
  try {
    xll::traits<xloper>::Excelv(xlfConcatenate, &res, 31, p.data());
    FAIL();
  } catch (const std::runtime_error& e) {
    std::string s = e.what();
    EXPECT_NE(s.find("function: xll::traits<struct xloper>::Excel\n"), std::string::npos);
    EXPECT_EQ(s.substr(s.find("ensure: ")), "ensure: \"count <= limits<XLOPER>::maxargs\" failed");
  }
}

TEST_F(HostCalls, ReturnCodesBecomeTheirTexts) {
  const std::pair<int, const char*> codes[] = {
      {1, "Excel returned macro halted"}, {2, "Excel returned invalid function number"},
      {4, "Excel returned invalid number of arguments"}, {8, "Excel returned invalid OPER structure"},
      {16, "Excel returned stack overflow"}, {32, "Excel returned command failed"},
      {64, "Excel returned uncalced cell"}, {128, "Excel returned not allowed during multi-threaded calc"},
      {256, "Excel returned invalid asynchronous function handle"},
      {512, "Excel returned not supported on cluster"},
      {3, "Excel returned an unknown error! This should never happen"},
  };
  for (const auto& [code, text] : codes) {
    host.failCall(xlfLeft, code);
    try {
      xll::Excel(xlfLeft, OPER("abc"), OPER(1));
      ADD_FAILURE() << code;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), text);
    }
  }
  EXPECT_EQ(host.outstanding(), 0);  // a refused call leaves nothing to give back
}

TEST_F(HostCalls, HostResultsAreGivenBackOnce) {
  {
    xll::ExcelOwnedOper left = xll::Excel(xlfLeft, OPER("abcdef"), OPER(3));
    EXPECT_EQ(OPER(*left).text(), "abc");
    EXPECT_EQ(host.outstanding(), 1);
    xll::ExcelOwnedOper moved = std::move(left);
    EXPECT_FALSE(left.owned());
  }
  EXPECT_EQ(host.outstanding(), 0);
  EXPECT_EQ(host.callCount(xlFree), 1);
  // No calling cell: the host answers an error value, and both of its
  // results went back.
  EXPECT_EQ(xll::CallerRef().xltype, xltypeErr);
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(HostCalls, WideEntryFollowsTheVersion) {
  OPER12 text(u"wide");
  host.setVersion(0x0B00);
  EXPECT_THROW(xll::Excel12(xlfConcatenate, text), std::runtime_error);
  host.setVersion(0x0C00);
  EXPECT_TRUE(OPER12(*xll::Excel12(xlfConcatenate, text, text)) == u"WIDEWIDE");
  EXPECT_EQ(host.outstanding(), 0);
}

}  // namespace
