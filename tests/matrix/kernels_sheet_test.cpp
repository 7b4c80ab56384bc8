// A product on a sheet shows the same cells whatever else the sheet holds
// and however often it is calculated: where the matrices land in memory
// changes nothing.
#include <string>

#include "tests/support/addin_test.h"

namespace {

class ProductSheet : public zrtest::AddinTest {
 protected:
  // Matrices of 1 to rows values in column Z above the product, then a 4 x 4
  // product of non-integer values shown in E1:H4.
  void build(int rows) {
    host.clearSheet();
    std::string values = "0";
    for (int r = 1; r <= rows; ++r, values += ",0")
      host.setCell("Z" + std::to_string(r), "=mtrx_create({" + values + "})");
    host.setCell("A1", "=mtrx_create({0.1,0.7,-1.3,2.9;0.31,-0.57,1.11,0.05;-2.2,0.9,0.37,1.7;0.66,1.41,-0.29,0.83})");
    host.setCell("B1",
                 "=mtrx_create({1.9,-0.3,0.47,0.21;0.13,1.37,-0.91,2.3;0.77,0.41,1.03,-0.6;-1.1,0.29,0.53,0.97})");
    host.setCell("C1", "=mtrx_multiply(A1,B1)");
    host.setCell("E1:H4", "=mtrx_display(C1)");
    host.calculate();
  }
  xlsim::Value shown() { return host.values("E1:H4"); }
};

TEST_F(ProductSheet, SameCellsAfterRecalculationAndBesideOtherMatrices) {
  build(0);
  const xlsim::Value first = shown();
  ASSERT_TRUE(first.is(xlsim::Value::Array) && first.rows == 4 && first.columns == 4) << first.display();
  for (int i = 0; i < 8; ++i) {
    host.recalculate();
    EXPECT_EQ(shown(), first) << "recalculation " << i + 1;
  }
  for (int rows = 1; rows <= 8; ++rows) {
    build(rows);
    EXPECT_EQ(shown(), first) << rows << " matrices above";
  }
}

}  // namespace
