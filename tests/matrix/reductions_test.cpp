// Reductions and fuzzy tests of matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "matrix/reductions.h"

namespace {

const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");

ZR::Matrix rowMajor(Eigen::Index rows, Eigen::Index cols, const std::vector<double>& v) {
  ZR::Matrix m(rows, cols);
  std::copy(v.begin(), v.end(), m.data());
  return m;
}

TEST(Reductions, SumProductAndMeanRunLeftToRight) {
  // x_0 = 1e16, x_k = 1/k over 40 x 50; references from plain loops in
  // tools/matrix/make_reference.py (numpy's pairwise sum: 1.0000000000000006e16).
  ZR::Matrix x(40, 50), y(40, 50);
  for (int k = 0; k < 2000; ++k) {
    x.data()[k] = k == 0 ? 1e16 : 1.0 / k;
    y.data()[k] = 1.0 + 1.0 / (k + 3);
  }
  EXPECT_EQ(ZR::coeffSum(x), 1e16);
  EXPECT_EQ(ZR::coeffMean(x), 5000000000000.0);
  EXPECT_EQ(ZR::coeffProd(y), 667.666666666666);
}

TEST(Reductions, ExtremesAndTraceWithInfinityAndNaN) {
  // numpy's nanmin and trace of this matrix, from make_reference.py.
  const ZR::Matrix c = rowMajor(4, 3,
                                {-13.921300925893206, 46.80587471209438, -23.41035651334171, -49.359396592567364,
                                 45.88917884394098, inf, -24.622217205365033, -66.89094720801802,
                                 -21.661393598395478, nan, 95.99966889456297, -81.54070356456626});
  EXPECT_EQ(ZR::coeffMin(c), -81.54070356456626);
  EXPECT_EQ(ZR::coeffMax(c), inf);
  EXPECT_EQ(ZR::coeffTrace(c), 10.306484319652299);
  // A NaN first stays; a later NaN never replaces; the first of equal values stays.
  EXPECT_TRUE(std::isnan(ZR::coeffMin(rowMajor(1, 3, {nan, -1, 1}))));
  EXPECT_EQ(ZR::coeffMax(rowMajor(3, 1, {2, nan, 1})), 2);
  EXPECT_FALSE(std::signbit(ZR::coeffMin(rowMajor(1, 2, {0.0, -0.0}))));
  EXPECT_TRUE(std::signbit(ZR::coeffMax(rowMajor(1, 2, {-0.0, 0.0}))));
  EXPECT_EQ(ZR::coeffTrace(rowMajor(2, 3, {1, 2, 3, 4, 5, 6})), 6);
}

TEST(Reductions, EmptyMatrices) {
  const ZR::Matrix empty(3, 0);
  EXPECT_EQ(ZR::coeffSum(empty), 0);
  EXPECT_EQ(ZR::coeffProd(empty), 1);
  EXPECT_EQ(ZR::coeffTrace(empty), 0);
  EXPECT_TRUE(ZR::isIdentity(empty, 0) && ZR::isZero(empty, 0) && ZR::isConstant(empty, 3, 0));
}

TEST(Reductions, ExactAndFuzzyTests) {
  const ZR::Matrix a = rowMajor(2, 2, {1, 2, 3, 4});
  ZR::Matrix b = a, nearI = ZR::Matrix::Identity(3, 3);
  b(1, 1) += 1e-15;
  nearI(0, 0) = 1.0000001;
  const ZR::Matrix tiny = ZR::Matrix::Constant(2, 2, 1e-13);
  const std::pair<bool, bool> cases[] = {  // {got, expected}
      {ZR::isEqual(a, a), true},          {ZR::isEqual(a, b), false},
      {ZR::isZero(tiny, 1e-12), true},    {ZR::isZero(tiny, 0), false},
      {ZR::isIdentity(nearI, 1e-6), true}, {ZR::isIdentity(nearI, 1e-8), false},
      {ZR::isEqual(ZR::Matrix(0, 2), ZR::Matrix(2, 0)), false},
      {ZR::isIdentity(rowMajor(2, 3, {1, 0, 0, 0, 1, 0}), 0), true},
      {ZR::isIdentity(rowMajor(1, 1, {0.5}), 0.9), false},  // within 0.9 of 1, not of 0.5
      {ZR::isConstant(rowMajor(1, 1, {1e-20}), 0, 1), false},
      {ZR::isConstant(rowMajor(1, 1, {101}), 100, 0.01), true},
      {ZR::isConstant(rowMajor(1, 1, {99}), 100, 0.01), false},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) EXPECT_EQ(cases[i].first, cases[i].second) << i;
}

}  // namespace
