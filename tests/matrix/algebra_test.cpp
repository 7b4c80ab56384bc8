// Sums, products, transposes, diagonal and triangular matrices.
#include <gtest/gtest.h>

#include <vector>

#include "matrix/algebra.h"

namespace {

ZR::Matrix rowMajor(Eigen::Index rows, Eigen::Index cols, const std::vector<double>& v) {
  ZR::Matrix m(rows, cols);
  std::copy(v.begin(), v.end(), m.data());
  return m;
}

TEST(Algebra, ProductsAgreeWithNumpy) {
  // tools/matrix/make_reference.py: numpy's a @ b on random operands.
  struct Case {
    Eigen::Index m, k, n;
    std::vector<double> a, b, ab;
  };
  const Case cases[] = {
      {2, 3, 2,
       {7.043284996340784, -4.834235299471419, 6.322138003068883, -6.992668756068586, -4.538395818190562,
        4.950240344233563},
       {5.872795089882313, -5.253306011894116, 5.556754346486928, -5.080317530996088, -8.0269729260731,
        4.407647357659307},
       {-36.246519054658194, 15.424673790088159, -106.02070664533915, 81.61003442623166}},
      {1, 4, 1,
       {-4.2418431965951715, 8.373280033699583, 4.327002197077764, 4.8653864437958525},
       {1.4761605179785349, -8.432489049040639, -1.398473335167214, 7.457795754594322},
       {-46.63537246781374}},
      {2, 0, 3, {}, {}, {0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ZR::Matrix ab = ZR::multiply(rowMajor(c.m, c.k, c.a), rowMajor(c.k, c.n, c.b));
    ASSERT_EQ(ab.rows() * 10 + ab.cols(), c.m * 10 + c.n);
    for (Eigen::Index i = 0; i < ab.size(); ++i) EXPECT_NEAR(ab.data()[i], c.ab[i], 1e-13) << c.k << " " << i;
  }
}

TEST(Algebra, ValueByValueTransposedAndDiagonal) {
  const ZR::Matrix a = rowMajor(2, 3, {1, 2, 3, 4, 5, 6}), b = rowMajor(2, 3, {0.5, -1, 0, 1e300, 2, -6});
  EXPECT_EQ(ZR::add(a, b), rowMajor(2, 3, {1.5, 1, 3, 1e300, 7, 0}));
  EXPECT_EQ(ZR::minus(a, b), rowMajor(2, 3, {0.5, 3, 3, -1e300, 3, 12}));
  EXPECT_EQ(ZR::multiplyConst(a, -2), rowMajor(2, 3, {-2, -4, -6, -8, -10, -12}));
  EXPECT_EQ(ZR::transpose(a), rowMajor(3, 2, {1, 4, 2, 5, 3, 6}));
  EXPECT_EQ(ZR::asDiagonal(rowMajor(3, 1, {1, 2, 3})), rowMajor(3, 3, {1, 0, 0, 0, 2, 0, 0, 0, 3}));
  for (const ZR::Matrix& empty : {ZR::Matrix(0, 1), ZR::Matrix(0, 3), ZR::Matrix(2, 0)})
    EXPECT_EQ(ZR::asDiagonal(empty).rows() + ZR::asDiagonal(empty).cols(), 0);
}

TEST(Algebra, TriangularViews) {
  const ZR::Matrix a = rowMajor(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  const std::pair<const char*, std::vector<double>> cases[] = {
      {"u", {1, 2, 3, 0, 5, 6, 0, 0, 9}},  {"L", {1, 0, 0, 4, 5, 0, 7, 8, 9}},
      {"uu", {1, 2, 3, 0, 1, 6, 0, 0, 1}}, {"Ul", {1, 0, 0, 4, 1, 0, 7, 8, 1}},
      {"sl", {0, 0, 0, 4, 0, 0, 7, 8, 0}}, {"SU", {0, 2, 3, 0, 0, 6, 0, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(ZR::triangularView(a, c.first), rowMajor(3, 3, c.second)) << c.first;
  EXPECT_EQ(ZR::triangularView(rowMajor(2, 3, {1, 2, 3, 4, 5, 6}), "l"), rowMajor(2, 3, {1, 0, 0, 4, 5, 0}));
  for (const char* unknown : {"x", "", "uu ", "lu"}) EXPECT_EQ(ZR::triangularView(a, unknown).size(), 0) << unknown;
}

}  // namespace
