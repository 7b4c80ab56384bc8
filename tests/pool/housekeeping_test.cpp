// Housekeeping and utility functions on sheets.
#include "tests/support/addin_test.h"

namespace {

using xlsim::Arg;
using xlsim::Value;
using zrtest::isError;

class Housekeeping : public zrtest::AddinTest {
 protected:
  double hf_count() { return host.call("hf_count", {}, "Z999").num; }
  std::vector<std::string> column(const Value& v) {
    std::vector<std::string> names;
    if (v.is(Value::Text)) names.push_back(v.str);
    if (v.is(Value::Array))
      for (const Value& e : v.elements) names.push_back(e.str);
    return names;
  }
};

TEST_F(Housekeeping, CountVersionAndErrors) {
  EXPECT_EQ(enter("A1", "=hf_count()").num, 0);
  EXPECT_EQ(enter("A2", "=hf_xllversion()").str, "0.0.2");
  EXPECT_EQ(enter("B1", "=bsopt_create(100,100,0.2,0.05,0,1,TRUE)").str, "#hndl1");
  // hf_count is volatile: the next calculation brings it up to date.
  enter("B2", "=bsopt_create(100,90,0.2,0.05,0,1,TRUE)");
  host.calculate();
  EXPECT_EQ(host.value("A1").num, 2);

  host.setCell("C1", "=bsopt_fv(\"nothing\")");
  host.setCell("C2", "=hf_getError(C1)");
  host.setCell("C3", "=hf_getError(C3)");
  host.setCell("D1:E2", "=bsopt_fv(\"nothing\")");
  host.calculate();
  EXPECT_EQ(host.value("C2").str, "boost::bad_any_cast: failed conversion using boost::any_cast");
  EXPECT_TRUE(isError(host.value("C3"), xlerrValue));  // its own message went first
  EXPECT_EQ(hf_count(), 3);  // the unknown handle left an empty entry
  // An array formula's key is its whole range.
  EXPECT_EQ(errorOf("D1"), "");
  EXPECT_NE(errorOf("D1:E2"), "");
  host.setCell("C1", "=bsopt_fv(B1)");
  host.calculate();
  EXPECT_TRUE(isError(again("C2"), xlerrValue));
}

// Patterns match from the first character, without regard to letter case.
TEST_F(Housekeeping, FunctionSearch) {
  auto search = [&](const Value& pattern) { return column(host.call("util_fnsearch", {pattern})); };
  EXPECT_EQ(search(Value::text("")), column(host.call("util_fnsearch", {})));
  EXPECT_EQ(search(Value::text("BSOPT*")).size(), 7u);
  EXPECT_EQ(search(Value::text("*fv")), std::vector<std::string>{"bsopt_fv"});
  EXPECT_TRUE(search(Value::text("fv")).empty());
  EXPECT_EQ(search(Value::text("HF_?E")), std::vector<std::string>{"hf_getError"});
  EXPECT_TRUE(host.call("util_fnsearch", {Value::number(1)}).is(Value::Nil));
}

TEST_F(Housekeeping, Evaluate) {
  Value v = host.call("util_eval", {Value::text("{1,2;3,\"four\"}")}, "A1");
  ASSERT_TRUE(v.is(Value::Array));
  EXPECT_EQ(v.rows, 2);
  EXPECT_EQ(v.at(1, 1).str, "four");
  EXPECT_EQ(host.call("util_eval", {Value::text("=hf_xllversion()")}, "A1").str, "0.0.2");
  host.failCall(xlfEvaluate, xlretFailed);
  EXPECT_TRUE(isError(host.call("util_eval", {Value::text("1")}, "A1"), xlerrValue));
  EXPECT_EQ(host.outstanding(), 0);
}

TEST_F(Housekeeping, DependsOrdersACalculationAfterAnotherCell) {
  // A1 asks for the count only once C1 has made its option.
  host.setCell("A1", "=util_depends(B1,C1)");
  host.setCell("B1", "=hf_count()");
  host.setCell("C1", "=bsopt_create(100,100,0.2,0.05,0,1,TRUE)");
  host.calculate();
  EXPECT_EQ(host.value("A1").num, 1);
  EXPECT_EQ(host.value("C1").str, "#hndl1");
}

TEST_F(Housekeeping, MacroCommandShowsTheModuleAndEndsQuietly) {
  host.runCommand("XLL.MACRO");
  ASSERT_FALSE(host.alerts().empty());
  EXPECT_EQ(host.alerts().front(), host.addinPath());
  host.clearAlerts();
  host.failCall(xlGetName, xlretFailed);
  EXPECT_EQ(host.runCommand("XLL.MACRO"), 0);
  EXPECT_TRUE(host.alerts().empty());
}

}  // namespace
