// Shape tests and repetition.
#include <gtest/gtest.h>

#include <limits>

#include "matrix/shape.h"

namespace {

using ZR::Matrix;

TEST(Shape, Tests) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct { Matrix m; bool diagonal; } cases[] = {
      {(Matrix(2, 2) << 1, 0, 0, nan).finished(), true},  // the diagonal is not read
      {(Matrix(2, 2) << 1, -0.0, 0, 1).finished(), true},
      {(Matrix(2, 2) << 1, 5, 0, 1).finished(), false},
      {(Matrix(2, 2) << 1, 0, 3, 1).finished(), false},
      {(Matrix(2, 3) << 0, 0, 0, 0, 7, 0).finished(), true},
      {(Matrix(2, 3) << 0, 0, 0, 0, 7, nan).finished(), false},
      {Matrix(0, 0), true},
  };
  for (const auto& c : cases) EXPECT_EQ(ZR::isDiagonal(c.m), c.diagonal) << c.m;
  EXPECT_TRUE(ZR::isSquare(Matrix(0, 0)));
  EXPECT_FALSE(ZR::isSquare(Matrix(0, 3)));
  EXPECT_TRUE(ZR::isRow(Matrix(1, 1)) && ZR::isColumn(Matrix(1, 1)) && ZR::isSquare(Matrix(1, 1)));
  EXPECT_FALSE(ZR::isRow(Matrix(3, 1)) || ZR::isColumn(Matrix(1, 3)));
}

TEST(Shape, Repeat) {
  const Matrix m = (Matrix(2, 2) << 1, 2, 3, 4).finished();
  EXPECT_EQ(ZR::repeat(m, 3, false), (Matrix(2, 6) << 1, 2, 1, 2, 1, 2, 3, 4, 3, 4, 3, 4).finished());
  EXPECT_EQ(ZR::repeat(m, 2, true), (Matrix(4, 2) << 1, 2, 3, 4, 1, 2, 3, 4).finished());
  const Matrix none = ZR::repeat(m, 0, false);
  EXPECT_EQ(none.rows(), 2);
  EXPECT_EQ(none.cols(), 0);
  // A negative count over an empty dimension gives an empty result.
  EXPECT_EQ(ZR::repeat(Matrix(0, 2), -1, true).size(), 0);
  EXPECT_EQ(ZR::repeat(Matrix(0, 2), std::numeric_limits<std::int32_t>::max(), true).cols(), 2);
}

}  // namespace
