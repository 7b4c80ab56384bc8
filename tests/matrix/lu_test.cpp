// LU decompositions and the questions they answer.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "matrix/lu.h"

namespace {

using ZR::Matrix;

Matrix A4() {
  Matrix a(4, 4);
  a << 1.5, -2.0, 0.25, 4.0, 6.0, 1.0, -3.5, 2.0, -0.5, 7.25, 2.0, -1.0, 3.0, -4.0, 5.0, 0.5;
  return a;
}

TEST(LU, PartialPivotMatchesLapack) {
  // scipy.linalg.lu_factor (LAPACK dgetrf), tools/matrix/decomp_reference.py.
  Matrix dgetrf(4, 4);
  dgetrf << 6.0, 1.0, -3.5, 2.0, -0.08333333333333333, 7.333333333333333, 1.7083333333333335,
      -0.8333333333333334, 0.5, -0.6136363636363638, 7.798295454545455, -1.0113636363636365, 0.25,
      -0.3068181818181819, 0.2114754098360656, 3.4581967213114755;
  EXPECT_TRUE(ZR::partialPivLU(A4()).isApprox(dgetrf, 1e-14));
  EXPECT_NEAR(ZR::determinant(A4()), -1186.59375, 1e-10);
  EXPECT_EQ(ZR::determinant(Matrix(0, 0)), 1.0);
  EXPECT_EQ(ZR::determinant(Matrix::Constant(1, 1, -2.5)), -2.5);
  // Non-square input never reaches the decomposition.
  EXPECT_THROW(ZR::determinant(Matrix::Ones(3, 2)), std::string);
  EXPECT_THROW(ZR::determinant(Matrix(0, 3)), std::string);
  EXPECT_THROW(ZR::partialPivLU(Matrix::Ones(3, 2)), std::string);
}

TEST(LU, FullPivotFactorsReproduceTheMatrix) {
  Matrix wide(2, 3);
  wide << 1, 2, 3, 4, 5, 7;
  for (const Matrix& a : {A4(), wide, Matrix(Matrix::Zero(3, 3))}) {
    const ZR::FullPivLU lu = ZR::fullPivLU(a);
    const Matrix P = ZR::extract(lu, ZR::LUFactor::P), Q = ZR::extract(lu, ZR::LUFactor::Q);
    const Matrix L = ZR::extract(lu, ZR::LUFactor::L), U = ZR::extract(lu, ZR::LUFactor::U);
    ASSERT_EQ(P.rows(), a.rows());
    ASSERT_EQ(Q.rows(), a.cols());
    ASSERT_EQ(L.cols(), a.cols());
    const Eigen::Index k = std::min(a.rows(), a.cols());
    EXPECT_TRUE((P * a * Q).isApprox(L.leftCols(k) * U.topRows(k), 1e-14));
    EXPECT_TRUE(ZR::extract(lu, ZR::LUFactor::Packed).isApprox(L + U - Matrix::Identity(a.rows(), a.cols())));
  }
  EXPECT_THROW(ZR::fullPivLU(Matrix(3, 0)), std::string);
  EXPECT_THROW(ZR::fullPivLU(Matrix(0, 0)), std::string);
}

TEST(LU, RankKernelImageInverse) {
  Matrix singular(3, 3), tall(3, 2), nearly(2, 2), clearly(2, 2);
  singular << 1, 2, 3, 2, 4, 6, 1, 0, 1;
  tall << 1, 0, 0, 1, 1, 1;
  // Pivots not above eps * 2 * 1 (4.4e-16) do not count.
  nearly << 1, 0, 0, 4e-16;
  clearly << 1, 0, 0, 5e-16;
  struct Case {
    Matrix a;
    Eigen::Index rank, kernelCols, imageCols;
    bool invertible;
  } cases[] = {
      {A4(), 4, 1, 4, true},          {singular, 2, 1, 2, false}, {tall, 2, 1, 2, false},
      {Matrix::Zero(2, 3), 0, 3, 1, false}, {nearly, 1, 1, 1, false},  {clearly, 2, 1, 2, true},
      {Matrix(3, 0), 0, 1, 1, false}, {Matrix(0, 0), 0, 1, 1, true}, {Matrix(0, 2), 0, 2, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a.rows() << "x" << c.a.cols() << "\n" << c.a);
    EXPECT_EQ(ZR::rank(c.a), c.rank);
    EXPECT_EQ(ZR::isInvertible(c.a), c.invertible);
    const Matrix k = ZR::kernel(c.a), im = ZR::image(c.a);
    EXPECT_EQ(k.rows(), c.a.cols());
    EXPECT_EQ(k.cols(), c.kernelCols);
    EXPECT_EQ(im.rows(), c.a.rows());
    EXPECT_EQ(im.cols(), c.imageCols);
    if (c.a.size() > 0) EXPECT_TRUE((c.a * k).isZero(1e-12));
    if (c.rank == 0 || c.rank == c.a.cols()) EXPECT_TRUE((c.rank ? k : im).isZero(0));
    if (c.invertible) {
      EXPECT_TRUE((c.a * ZR::inverse(c.a)).isIdentity(1e-12));
    } else {
      EXPECT_THROW(ZR::inverse(c.a), std::string);
    }
  }
  // The kernel of a 1 x 30000 row has 30000 x 29999 values: refused.
  EXPECT_THROW(ZR::kernel(Matrix::Zero(1, 30000)), std::bad_alloc);
}

}  // namespace
