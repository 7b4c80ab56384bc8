// The LU, QR and symmetric decompositions, against LAPACK through scipy
// (tools/matrix/decomp_reference.py) and by their invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "matrix/kernels.h"
#include "matrix/lu.h"
#include "matrix/qr.h"
#include "matrix/symmetric.h"

namespace {

using ZR::Matrix;

Matrix of(Eigen::Index rows, Eigen::Index cols, std::initializer_list<double> values) {
  return Eigen::Map<const Matrix>(values.begin(), rows, cols);
}
const Matrix A = of(4, 4, {1.5, -2, 0.25, 4, 6, 1, -3.5, 2, -0.5, 7.25, 2, -1, 3, -4, 5, 0.5});
const Matrix T = of(5, 3, {2, -1, 0.5, 1, 3, -2, -4, 0.5, 1, 0, 2, 6, 1.5, -3, 2.5});
const Matrix S = of(4, 4, {4, 1, -2, 0.5, 1, 5, 1.5, -1, -2, 1.5, 6, 2, 0.5, -1, 2, 3});
const Matrix N = of(3, 3, {1, 2, 3, 2, -1, 0.5, 3, 0.5, -2});

// a with NaN written above its diagonal, which nothing may read or refuse.
Matrix scribbled(Matrix a) {
  a.triangularView<Eigen::StrictlyUpper>().setConstant(std::numeric_limits<double>::quiet_NaN());
  return a;
}

TEST(Decompositions, AgainstLapack) {
  // scipy.linalg.lu_factor (dgetrf), qr(mode='raw') (dgeqrf; dgeqp3 with
  // pivoting=True), cholesky (dpotrf) and eigh: same packed layouts and signs.
  const Matrix dgetrf = of(4, 4, {6.0, 1.0, -3.5, 2.0, -0.08333333333333333, 7.333333333333333, 1.7083333333333335,
      -0.8333333333333334, 0.5, -0.6136363636363638, 7.798295454545455, -1.0113636363636365, 0.25,
      -0.3068181818181819, 0.2114754098360656, 3.4581967213114755});
  const Matrix dgeqrf = of(5, 3, {-4.8218253804964775, 1.1406468642034682, 0.25923792368260634, 0.14658833145436248,
      -4.684967954125492, 0.3832894786718719, -0.5863533258174499, -0.09441153850121375, -6.876473287555489, 0.0,
      0.25003869954650204, 0.8479243040004488, 0.21988249718154373, -0.31621259429931337, 0.215972398868847});
  const Matrix dgeqp3 = of(5, 3, {-6.892024376045111, 0.1813690625275033, 0.2176428750330035, -0.27056187835111584,
      -4.818413147827601, 1.1496468887704285, 0.13528093917555792, -0.6728546732349551, -4.677707088957991,
      0.8116856350533475, -0.2339219891826853, 0.5253271140275835, 0.3382023479388948, 0.14023288264640474,
      -0.44008300584666094});
  const Matrix dpotrf = of(4, 4, {2.0, 0.0, 0.0, 0.0, 0.5, 2.179449471770337, 0.0, 0.0, -1.0, 0.917662935482247,
      2.039091645032686, 0.0, 0.25, -0.5161854012087639, 1.3357340839296392, 0.9417362096721115});
  const Matrix eighS = of(4, 1, {0.38731428009059027, 3.9974525540769195, 5.762850186454978, 7.852382979377508});
  EXPECT_TRUE(ZR::partialPivLU(A).isApprox(dgetrf, 1e-14));
  EXPECT_NEAR(ZR::determinant(A), -1186.59375, 1e-10);
  // Pivots whose product leaves the doubles on the way; rows far apart in
  // scale; an elimination that overflows (mpmath, make_reference.py).
  const Matrix apart = Eigen::Vector4d(0x1p900, 0x1p900, 0x1p-900, 0x1p-900).asDiagonal() * A;
  EXPECT_NEAR(ZR::determinant(apart), -1186.59375, 1e-10);
  EXPECT_NEAR(ZR::determinant(of(3, 3, {1e308, 1e308, 0, -1e308, 1e308, 0, 0, 0, 1e-310})), 1.9999999999999938e+306,
              1e-14 * 2e306);
  const struct { Matrix a; double det; } exact[] = {
      {of(3, 3, {0, 0x1p600, 0, 0x1p600, 0, 0, 0, 0, 0x1p-700}), -0x1p500},  // one row swap
      {of(2, 2, {0, 0x1p600, 0x1p600, 0}), -std::numeric_limits<double>::infinity()},
      {of(3, 3, {0x1p-600, 0, 0, 0, 0x1p-600, 0, 0, 0, 0x1p1000}), 0x1p-200},
      {of(2, 2, {1, 2, 2, 4}), -0.0},
  };
  for (const auto& e : exact) {
    const double det = ZR::determinant(e.a);
    EXPECT_TRUE(det == e.det && std::signbit(det) == std::signbit(e.det)) << det << "\n" << e.a;
  }
  // Of T scaled by s only R scales, not the Householder vectors below it.
  const auto unscaled = [](Matrix packed, double s) {
    packed.triangularView<Eigen::Upper>() /= s;
    return packed;
  };
  for (double s : {1.0, 1e-300, 1e-170, 1e160, 1e300}) {
    EXPECT_TRUE(unscaled(ZR::householderQr(T * s), s).isApprox(dgeqrf, 1e-14)) << s;
    EXPECT_TRUE(unscaled(ZR::colPivHouseholderQr(T * s), s).isApprox(dgeqp3, 1e-14)) << s;
  }
  EXPECT_TRUE(ZR::cholesky(scribbled(S), false).isApprox(dpotrf, 1e-14));
  EXPECT_TRUE(ZR::eigenValues(S).isApprox(eighS, 1e-14));
}

TEST(Decompositions, FactorsReproduceTheMatrix) {
  for (const Matrix& a : {A, of(2, 3, {1, 2, 3, 4, 5, 7}), Matrix(Matrix::Zero(3, 3))}) {
    const ZR::FullPivLU lu = ZR::fullPivLU(a);
    const Matrix P = ZR::extract(lu, ZR::LUFactor::P), Q = ZR::extract(lu, ZR::LUFactor::Q);
    const Matrix L = ZR::extract(lu, ZR::LUFactor::L), U = ZR::extract(lu, ZR::LUFactor::U);
    const Eigen::Index k = std::min(a.rows(), a.cols());
    EXPECT_TRUE((P * a * Q).isApprox(L.leftCols(k) * U.topRows(k), 1e-14));
  }
  // At any scale R has the singular values of T (decomp_reference.py).
  const Matrix singularT = of(3, 1, {6.901319495849894, 5.361750039253779, 4.198026409250456});
  for (double s : {1.0, 1e-300, 1e-170, 1e160, 1e300}) {
    const Matrix a = s == 1.0 ? Matrix(T.transpose()) : Matrix(T * s);
    const Matrix q = ZR::fullPivHouseholderQr(a, ZR::QRFactor::Q), r = ZR::fullPivHouseholderQr(a, ZR::QRFactor::R);
    EXPECT_TRUE((q.transpose() * q).isIdentity(1e-14) && r.isUpperTriangular(0)) << s;
    EXPECT_TRUE(Eigen::JacobiSVD<Matrix>(r / s).singularValues().isApprox(singularT, 1e-14)) << s;
    // Each column of Q R is one of the (distinct) columns of A (compared
    // unscaled, where squared norms neither underflow nor overflow).
    const Matrix qr = q * r / s, b = a / s;
    for (Eigen::Index j = 0, k = 0; j < a.cols(); ++j, k = 0) {
      while (k < b.cols() && !qr.col(j).isApprox(b.col(k), 1e-13)) ++k;
      EXPECT_LT(k, a.cols()) << j;
    }
  }
  for (const Matrix& a : {S, N}) {
    const Matrix v = ZR::eigenVectors(scribbled(a)), values = ZR::eigenValues(a);
    EXPECT_TRUE((a * v).isApprox(v * values.col(0).asDiagonal(), 1e-13) && (v.transpose() * v).isIdentity(1e-14));
    // L D L^T is a symmetric permutation of A, which the (distinct) diagonals name.
    const Matrix L = ZR::ldlt(scribbled(a), ZR::LDLTFactor::L), D = ZR::ldlt(a, ZR::LDLTFactor::D);
    EXPECT_TRUE(L.isLowerTriangular(0) && L.diagonal().isOnes(0) && D.isDiagonal(0));
    const Matrix b = L * D * L.transpose();
    std::vector<Eigen::Index> from(a.rows());
    for (Eigen::Index i = 0; i < a.rows(); ++i) a.diagonal().cwiseEqual(b(i, i)).maxCoeff(&from[i]);
    for (Eigen::Index i = 0; i < a.rows(); ++i)
      for (Eigen::Index j = 0; j < a.rows(); ++j) EXPECT_NEAR(b(i, j), a(from[i], from[j]), 1e-13);
  }
}

TEST(Decompositions, EachKernelGivesEigensFactorsPastItsBlocks) {
  // n past the blocks of Eigen's blocked algorithms and the kernels' tiles.
  const Eigen::Index n = 97;
  const Matrix a = Matrix::Random(n, n), s = a * a.transpose() + n * Matrix::Identity(n, n);
  const Eigen::PartialPivLU<Matrix> lu(a);
  const Eigen::LLT<Matrix> llt(s);
  const Eigen::LDLT<Matrix> ldlt(s);
  const Eigen::SelfAdjointEigenSolver<Matrix> eigen(s);
  const Matrix expected[] = {lu.matrixLU(), Eigen::HouseholderQR<Matrix>(a).matrixQR(), llt.matrixL(), llt.matrixU(),
                             ldlt.matrixL(), ldlt.matrixU(), ldlt.vectorD().asDiagonal(), eigen.eigenvectors()};
  for (ZR::Kernel kernel : {ZR::Kernel::Baseline, ZR::Kernel::Avx2Fma, ZR::Kernel::Avx512}) {
    if (!ZR::kernelRuns(kernel)) continue;
    const ZR::Kernels& k = ZR::kernels(kernel);
    Matrix f[] = {a, a, s, s, s, s, s, s}, values(n, 1);
    const double det = k.partialPivLU(f[0].data(), n);
    k.householderQr(f[1].data(), n, n);
    EXPECT_TRUE(k.cholesky(f[2].data(), n, false) && k.cholesky(f[3].data(), n, true) &&
                k.ldlt(f[4].data(), n, 0) && k.ldlt(f[5].data(), n, 1) && k.ldlt(f[6].data(), n, 2) &&
                k.selfAdjointEigen(s.data(), n, values.data(), f[7].data()));
    EXPECT_NEAR(det, lu.determinant(), 1e-12 * std::abs(lu.determinant()));
    EXPECT_TRUE(values.isApprox(eigen.eigenvalues(), 1e-14));
    // FMA rounds differently; eigenvectors move by about eps times the condition of their gaps.
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(f[i].isApprox(expected[i], 1e-10)) << int(kernel) << " factor " << i;
  }
}

TEST(Decompositions, RankKernelImageInverse) {
  const Matrix singular = of(3, 3, {1, 2, 3, 2, 4, 6, 1, 0, 1}), tall = of(3, 2, {1, 0, 0, 1, 1, 1});
  // A pivot counts when above eps * 2 * 1 = 4.4e-16.
  const Matrix below = of(2, 2, {1, 0, 0, 4e-16}), above = of(2, 2, {1, 0, 0, 5e-16});
  // Kernel c x (c - rank), else c x 1 zeros; image r x rank, else r x 1 zeros.
  const struct { Matrix a; Eigen::Index rank, kernelCols, imageCols; bool invertible; } cases[] = {
      {A, 4, 1, 4, true},             {singular, 2, 1, 2, false},    {tall, 2, 1, 2, false},
      {below, 1, 1, 1, false},        {above, 2, 1, 2, true},        {Matrix::Zero(2, 3), 0, 3, 1, false},
      {Matrix(3, 0), 0, 1, 1, false}, {Matrix(0, 0), 0, 1, 1, true},  {Matrix(0, 2), 0, 2, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a.rows() << "x" << c.a.cols() << "\n" << c.a);
    const Matrix k = ZR::kernel(c.a), im = ZR::image(c.a);
    EXPECT_EQ(ZR::rank(c.a), c.rank);
    EXPECT_EQ(ZR::isInvertible(c.a), c.invertible);
    EXPECT_EQ(k.rows() * 10 + k.cols(), c.a.cols() * 10 + c.kernelCols);
    EXPECT_EQ(im.rows() * 10 + im.cols(), c.a.rows() * 10 + c.imageCols);
    EXPECT_TRUE((c.a * k).isZero(1e-12) && (c.rank < c.a.cols() || k.isZero(0)) && (c.rank || im.isZero(0)));
    if (c.invertible) {
      EXPECT_TRUE((c.a * ZR::inverse(c.a)).isIdentity(1e-12));
    }
    // Alike at a scale where the pivot threshold underflows or the elimination overflows.
    for (double s : {0x1p-900, 0x1p600, 0x1p1020}) {
      if (c.a.size() == 0) break;
      const Matrix b = c.a * s;
      EXPECT_TRUE(ZR::rank(b) == c.rank && ZR::isInvertible(b) == c.invertible) << s;
      EXPECT_EQ(ZR::kernel(b), k) << s;
      EXPECT_EQ(ZR::image(b), im * s) << s;
      if (c.invertible) {
        EXPECT_EQ(ZR::inverse(b), ZR::inverse(c.a) / s) << s;
      }
    }
  }
  // The kernel of a 1 x 30000 row would hold 30000 x 29999 values.
  EXPECT_THROW(ZR::kernel(Matrix::Zero(1, 30000)), std::bad_alloc);
}

TEST(Decompositions, SemiDefinitenessAndShapes) {
  const Matrix mixed = of(2, 2, {1, 0, 0, -1}), zero = Matrix::Zero(3, 3);
  EXPECT_TRUE(ZR::isPosSemiDef(zero) && ZR::isNegSemiDef(zero) && ZR::isNegSemiDef(-Matrix::Ones(2, 2)));
  EXPECT_FALSE(ZR::isPosSemiDef(mixed) || ZR::isNegSemiDef(mixed) || ZR::isNegSemiDef(Matrix::Identity(2, 2)));
  for (const Matrix& bad : {Matrix(0, 0), Matrix(Matrix::Ones(3, 2)), Matrix(Matrix::Ones(2, 3))})
    EXPECT_THROW(ZR::cholesky(bad, true), std::string);
  EXPECT_THROW(ZR::ldlt(Matrix(0, 0), ZR::LDLTFactor::L), std::string);
  EXPECT_THROW(ZR::isNegSemiDef(Matrix(Matrix::Ones(3, 2))), std::string);
  EXPECT_THROW(ZR::determinant(Matrix(0, 3)), std::string);
  // Shapes that need no refusal.
  EXPECT_EQ(ZR::colPivHouseholderQr(Matrix(0, 3)).cols(), 3);
  EXPECT_EQ(ZR::fullPivHouseholderQr(Matrix(4, 0), ZR::QRFactor::Q).rows(), 4);
}

}  // namespace
