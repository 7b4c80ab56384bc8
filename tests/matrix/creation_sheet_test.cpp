// Matrix functions on a sheet: ranges in, handles, numbers, Booleans and
// arrays out, and failures turned into #VALUE! with their stored messages.
#include <string>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;

class MatrixSheet : public zrtest::AddinTest {};

TEST_F(MatrixSheet, RangeInDisplayOut) {
  host.setCell("A1", "1");
  host.setCell("B1", "2.5");
  host.setCell("C1", "-3");
  host.setCell("A2", "4");
  host.setCell("C2", "1e300");  // B2 stays empty and reads as 0
  EXPECT_EQ(enter("D1", "=mtrx_create(A1:C2)").str.substr(0, 5), "#hndl");
  host.setCell("E1:G2", "=mtrx_display(D1)");
  host.calculate();
  EXPECT_EQ(host.values("E1:G2").display(), "{1,2.5,-3;4,0,1e+300}");
  EXPECT_EQ(enter("D3", "=mtrx_rows(D1)").num, 2);
  EXPECT_EQ(enter("D4", "=mtrx_cols(mtrx_zero(0,4))").num, 4);
  EXPECT_TRUE(enter("D5", "=mtrx_display(mtrx_random(3,0))").is(Value::Missing));
  // An empty precision arrives as 0: the test is exact.
  EXPECT_FALSE(enter("D6", "=mtrx_isZero(mtrx_constant(2,2,1E-13),)").flag);
  EXPECT_TRUE(enter("D7", "=mtrx_isZero(mtrx_constant(2,2,1E-13),1E-12)").flag);
  // 257 x 255 = 65,535 values, the most the classic array holds.
  Value v = host.call("mtrx_display", {host.call("mtrx_identity", {257, 255}, "A9")}, "B9");
  EXPECT_EQ(v.rows * 1000 + v.columns, 257255);
  EXPECT_EQ(v.at(254, 254).num + v.at(256, 254).num, 1);
}

TEST_F(MatrixSheet, FailuresStoreTheirMessages) {
  host.setCell("A1", "=mtrx_fullPivLU(mtrx_identity(2,2))");
  const std::string cast = "boost::bad_any_cast: failed conversion using boost::any_cast";
  struct Case {
    const char* formula;
    std::string message;  // the stored message, or the end of an ensure text
  };
  const Case cases[] = {
      {"=mtrx_rows(\"#hndl99\")", cast},
      {"=mtrx_transpose(A1)", cast},
      {"=mtrx_zero(100000,10000)", "bad allocation"},
      {"=mtrx_add(mtrx_zero(2,2),mtrx_zero(2,3))", "ZR::uBlasMatrix::mtrx_add::Incompatible matrices"},
      {"=mtrx_minus(mtrx_zero(3,2),mtrx_zero(2,2))", "ZR::uBlasMatrix::mtrx_minus::Incompatible matrices"},
      {"=mtrx_multiply(mtrx_zero(2,3),mtrx_zero(2,3))", "ZR::uBlasMatrix::mtrx_multiply::Incompatible matrices"},
      {"=mtrx_asDiagonal(mtrx_zero(1,2))", "ZR::uBlasMatrix::mtrx_asDiagonal::Input matrix must have one column"},
      {"=mtrx_coeffMean(mtrx_zero(0,0))", "ZR::uBlasMatrix::mtrx_coeffMean::Input matrix is empty"},
      {"=mtrx_coeffMin(mtrx_zero(2,0))", "ZR::uBlasMatrix::mtrx_coeffMin::Input matrix is empty"},
      {"=mtrx_coeffMax(mtrx_zero(0,3))", "ZR::uBlasMatrix::mtrx_coeffMax::Input matrix is empty"},
      {"=mtrx_display(mtrx_zero(1,300))", "ensure: \"c <= xll::limits<X>::maxcols\" failed"},
      {"=mtrx_display(mtrx_zero(300,255))", "ensure: \"i < size(x)\" failed"},
      {"=mtrx_display(mtrx_zero(70000,1))", "ensure: \"i < size(x)\" failed"},
  };
  int row = 2;
  for (const Case& c : cases) {
    const std::string cell = "B" + std::to_string(row++);
    EXPECT_TRUE(zrtest::isError(enter(cell, c.formula), xlerrValue)) << c.formula;
    const std::string stored = errorOf(cell);
    ASSERT_GE(stored.size(), c.message.size()) << c.formula << ": " << stored;
    EXPECT_EQ(stored.substr(stored.size() - c.message.size()), c.message) << c.formula;
  }
}

}  // namespace
