// Cholesky, LDLT and the self-adjoint eigen solver.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "matrix/symmetric.h"

namespace {

using ZR::Matrix;

Matrix S() {
  Matrix s(4, 4);
  s << 4.0, 1.0, -2.0, 0.5, 1.0, 5.0, 1.5, -1.0, -2.0, 1.5, 6.0, 2.0, 0.5, -1.0, 2.0, 3.0;
  return s;
}
Matrix N() {
  Matrix n(3, 3);
  n << 1.0, 2.0, 3.0, 2.0, -1.0, 0.5, 3.0, 0.5, -2.0;
  return n;
}
// a with garbage written above its diagonal.
Matrix scribbled(Matrix a) {
  a.triangularView<Eigen::StrictlyUpper>().setConstant(99.0);
  return a;
}

TEST(Symmetric, AgainstLapack) {
  // scipy.linalg.cholesky (LAPACK dpotrf) and scipy.linalg.eigh,
  // tools/matrix/decomp_reference.py.
  Matrix dpotrf(4, 4), eighS(4, 1), eighN(3, 1);
  dpotrf << 2.0, 0.0, 0.0, 0.0, 0.5, 2.179449471770337, 0.0, 0.0, -1.0, 0.917662935482247,
      2.039091645032686, 0.0, 0.25, -0.5161854012087639, 1.3357340839296392, 0.9417362096721115;
  eighS << 0.38731428009059027, 3.9974525540769195, 5.762850186454978, 7.852382979377508;
  eighN << -4.0139743352455035, -1.6725616492936919, 3.686535984539197;
  EXPECT_TRUE(ZR::cholesky(S(), false).isApprox(dpotrf, 1e-14));
  EXPECT_EQ(ZR::cholesky(S(), true), ZR::cholesky(S(), false).transpose());
  EXPECT_TRUE(ZR::eigenValues(S()).isApprox(eighS, 1e-14));
  EXPECT_TRUE(ZR::eigenValues(N()).isApprox(eighN, 1e-14));
}

TEST(Symmetric, InvariantsAndLowerTriangleOnly) {
  for (const Matrix& a : {S(), N()}) {
    const Matrix v = ZR::eigenVectors(a), values = ZR::eigenValues(a);
    EXPECT_TRUE((a * v).isApprox(v * values.col(0).asDiagonal(), 1e-13));
    EXPECT_TRUE((v.transpose() * v).isIdentity(1e-14));
    // L D L^T is a symmetric permutation of A; the diagonals (distinct here) name it.
    const Matrix L = ZR::ldlt(a, ZR::LDLTFactor::L), D = ZR::ldlt(a, ZR::LDLTFactor::D);
    EXPECT_EQ(ZR::ldlt(a, ZR::LDLTFactor::U), L.transpose());
    EXPECT_TRUE(L.isLowerTriangular(0) && L.diagonal().isOnes(0) && D.isDiagonal(0));
    const Matrix b = L * D * L.transpose();
    std::vector<Eigen::Index> from(a.rows());
    for (Eigen::Index i = 0; i < a.rows(); ++i)
      a.diagonal().cwiseEqual(b(i, i)).maxCoeff(&from[i]);
    for (Eigen::Index i = 0; i < a.rows(); ++i)
      for (Eigen::Index j = 0; j < a.rows(); ++j) EXPECT_NEAR(b(i, j), a(from[i], from[j]), 1e-13);
    // Nothing above the diagonal is read.
    EXPECT_EQ(ZR::ldlt(scribbled(a), ZR::LDLTFactor::D), D);
    EXPECT_EQ(ZR::eigenVectors(scribbled(a)), v);
  }
  EXPECT_EQ(ZR::cholesky(scribbled(S()), false), ZR::cholesky(S(), false));
}

TEST(Symmetric, SemiDefiniteness) {
  Matrix ones = Matrix::Ones(2, 2), mixed(2, 2);
  mixed << 1, 0, 0, -1;
  struct Case {
    Matrix a;
    bool pos, neg;
  } cases[] = {{Matrix::Zero(3, 3), true, true}, {ones, true, false}, {-ones, false, true},
               {mixed, false, false}, {Matrix::Identity(2, 2), true, false}, {N(), false, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(ZR::isPosSemiDef(c.a), c.pos) << c.a;
    EXPECT_EQ(ZR::isNegSemiDef(c.a), c.neg) << c.a;
  }
}

TEST(Symmetric, RefusedInput) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Matrix swap(2, 2), withNan(2, 2);
  swap << 0, 1, 1, 0;  // no LDLT without 2 x 2 pivots
  withNan << 1, 0, nan, 1;
  auto message = [](auto f) {
    try {
      f();
    } catch (const std::string& s) {
      return s;
    }
    return std::string("no failure");
  };
  EXPECT_EQ(message([&] { ZR::ldlt(swap, ZR::LDLTFactor::D); }),
            "ZR::uBlasMatrix::mtrx_ldlt - Input matrix has no LDLT decomposition");
  EXPECT_EQ(message([&] { ZR::cholesky(N(), false); }),
            "ZR::uBlasMatrix::mtrx_cholesky - Input matrix is not positive definite");
  EXPECT_EQ(message([&] { ZR::isPosSemiDef(withNan); }),
            "ZR::uBlasMatrix::mtrx_isPosSemiDef - Eigen solver did not converge");
  for (const Matrix& bad : {Matrix(0, 0), Matrix(Matrix::Ones(3, 2)), Matrix(Matrix::Ones(2, 3))}) {
    EXPECT_EQ(message([&] { ZR::eigenVectors(bad); }),
              "ZR::uBlasMatrix::mtrx_eigenVectors - Input matrix must be square and not empty");
    EXPECT_THROW(ZR::cholesky(bad, true), std::string);
    EXPECT_THROW(ZR::ldlt(bad, ZR::LDLTFactor::L), std::string);
    EXPECT_THROW(ZR::isNegSemiDef(bad), std::string);
  }
}

}  // namespace
