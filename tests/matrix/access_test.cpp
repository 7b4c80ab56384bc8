// Reading, joining, editing, shape tests and repetition.
#include <gtest/gtest.h>

#include <limits>

#include "matrix/access.h"
#include "matrix/shape.h"

namespace {

using ZR::Matrix;

Matrix rows(int r, int c, std::initializer_list<double> v) {
  Matrix m(r, c);
  std::copy(v.begin(), v.end(), m.data());
  return m;
}
const Matrix M = rows(2, 3, {1, 2, 3, 4, 5, 6}), col2 = rows(2, 1, {7, 8});

TEST(Access, ReadsEditsAndJoins) {
  const struct { Matrix got, want; } cases[] = {
      {ZR::diagonal(M, 1), rows(2, 1, {2, 6})}, {ZR::diagonal(M, 2), rows(1, 1, {3})},
      {ZR::diagonal(M, -1), rows(1, 1, {4})}, {ZR::diagonal(M, 3), Matrix(0, 1)},
      {ZR::block(M, 9, 9, 0, 5), Matrix(0, 5)}, {ZR::block(M, 0, 1, 2, 2), rows(2, 2, {2, 3, 5, 6})},
      {ZR::replaceBlock(M, col2, 0, 2), rows(2, 3, {1, 2, 7, 4, 5, 8})},
      {ZR::append(M, col2, false), rows(2, 4, {1, 2, 3, 7, 4, 5, 6, 8})},
      {ZR::setDiagonal(M, col2, 1), rows(2, 3, {1, 7, 3, 4, 5, 8})},
      {ZR::setDiagonal(M, rows(1, 2, {7, 1}), -1), rows(2, 3, {1, 2, 3, 7, 5, 6})},
      {ZR::setRow(M, rows(2, 3, {7, 8, 9, 0, 0, 0}), 0), rows(2, 3, {7, 8, 9, 4, 5, 6})},
      {ZR::setColumn(M, rows(2, 2, {0, 1, 0, 1}), 0), rows(2, 3, {0, 2, 3, 0, 5, 6})},
      {ZR::repeat(col2, 2, false), rows(2, 2, {7, 7, 8, 8})}, {ZR::repeat(M, 0, false), Matrix(2, 0)},
      {ZR::repeat(Matrix(0, 2), -1, true), Matrix(0, 2)},
  };
  for (const auto& c : cases) EXPECT_TRUE(c.got.rows() == c.want.rows() && c.got.cols() == c.want.cols() && c.got == c.want) << &c - cases;
  EXPECT_EQ(ZR::squaredNorm(M), 91);
  // Summed in order: (1e16 + 1) - 1e16 loses the 1.
  EXPECT_EQ(ZR::dotProd(rows(3, 1, {1e16, 1, -1e16}), rows(3, 1, {1, 1, 1})), 0);
}

TEST(Access, IsDiagonal) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(ZR::isDiagonal(rows(2, 2, {1, -0.0, 0, nan})));  // the diagonal is not read
  EXPECT_TRUE(ZR::isDiagonal(rows(2, 3, {0, 0, 0, 0, 7, 0})) && ZR::isDiagonal(Matrix(0, 0)));
  EXPECT_FALSE(ZR::isDiagonal(rows(2, 2, {1, 0, 3, 1})) || ZR::isDiagonal(rows(2, 3, {0, 0, 0, 0, 7, nan})));
}

}  // namespace
