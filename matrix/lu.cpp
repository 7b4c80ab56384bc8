#include "matrix/lu.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "matrix/kernels.h"
#include "matrix/wide.h"

namespace ZR {

namespace {

template <class Indices>
Matrix permutation(const Indices& index) {
  const Eigen::Index n = index.size();
  Matrix p = newMatrix(n, n);
  p.setZero();
  for (Eigen::Index i = 0; i < n; ++i) p(index(i), i) = 1.0;
  return p;
}

void requireSquare(const Matrix& a, const char* function) {
  if (a.rows() != a.cols())
    throw std::string("ZR::uBlasMatrix::") + function + " - Input matrix is not square";
}

// a · 2^-e, rounded once per value.
Matrix scaledDown(const Matrix& a, int e) {
  Matrix s = newMatrix(a.rows(), a.cols());
  s = timesPowerOfTwo(a, -e);
  return s;
}

// The full-pivot LU of a · 2^-e. e is 0 while a's largest magnitude lies in
// [2^-500, 2^500]; beyond, the pivot threshold would underflow or the
// elimination overflow, and e scales it into [0.5, 1). Rank, kernel and
// image do not depend on the scale.
struct ScaledLU {
  FullPivLU lu;
  int e;
};
ScaledLU scaledLU(const Matrix& a) {
  const int e = scaleExponent(a);
  if (e >= -500 && e <= 500) return {FullPivLU(a), 0};
  return {FullPivLU(scaledDown(a, e)), e};
}

// Whether the elimination of finite a could leave the normal doubles: the
// largest magnitude beyond [2^-400, 2^400], or the least that is not 0 more
// than 2^600 below it (its multipliers and updates would underflow).
bool unbalanced(const Matrix& a) {
  double most = 0, least = std::numeric_limits<double>::infinity();
  const double* x = a.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k) {
    const double v = std::abs(x[k]);
    if (!(v <= DBL_MAX)) return false;  // NaN and infinity carry through as they are
    most = std::max(most, v);
    if (v != 0) least = std::min(least, v);
  }
  return most != 0 && (most > 0x1p400 || most < 0x1p-400 || least < most * 0x1p-600);
}

// a with each row, then each column, scaled by a power of two to a largest
// magnitude in [0.5, 1); the exponents' sum into e.
Matrix balanced(const Matrix& a, std::int64_t& e) {
  Matrix b = a;
  const auto scale = [&e](auto&& values) {
    const int by = scaleExponent(values);
    values = timesPowerOfTwo(values, -by);
    e += by;
  };
  for (Eigen::Index i = 0; i < b.rows(); ++i) scale(b.row(i));
  for (Eigen::Index j = 0; j < b.cols(); ++j) scale(b.col(j));
  return b;
}

}  // namespace

FullPivLU fullPivLU(const Matrix& a) {
  if (a.size() == 0) throw std::string("ZR::uBlasMatrix::mtrx_fullPivLU - Input matrix is empty");
  requireFinite(a, "mtrx_fullPivLU");
  return FullPivLU(a);
}

Matrix unitLower(const Matrix& packed) {
  Matrix l = newMatrix(packed.rows(), packed.cols());
  l = packed.triangularView<Eigen::StrictlyLower>();
  l.diagonal().setOnes();
  return l;
}

Matrix upperPart(const Matrix& packed) {
  Matrix u = newMatrix(packed.rows(), packed.cols());
  u = packed.triangularView<Eigen::Upper>();
  return u;
}

Matrix extract(const FullPivLU& lu, LUFactor factor) {
  switch (factor) {
    case LUFactor::L: return unitLower(lu.matrixLU());
    case LUFactor::U: return upperPart(lu.matrixLU());
    case LUFactor::P: return permutation(lu.permutationP().indices());
    case LUFactor::Q: return permutation(lu.permutationQ().indices());
    case LUFactor::Packed: break;
  }
  return lu.matrixLU();
}

Matrix partialPivLU(const Matrix& a) {
  requireSquare(a, "mtrx_partialPivLU");
  requireFinite(a, "mtrx_partialPivLU");
  if (a.size() == 0) return Matrix(0, 0);
  Matrix lu = a;
  kernels().partialPivLU(lu.data(), lu.rows());
  return lu;
}

// An empty matrix is answered by its shape: rank 0, so the kernel is the
// identity (c x 1 zeros when c is 0) and the image r x 1 zeros.
bool isInvertible(const Matrix& a) {
  requireFinite(a, "mtrx_isInvertible");
  if (a.size() == 0) return a.rows() == a.cols();
  return scaledLU(a).lu.isInvertible();
}

Eigen::Index rank(const Matrix& a) {
  requireFinite(a, "mtrx_rank");
  return a.size() == 0 ? 0 : scaledLU(a).lu.rank();
}

Matrix kernel(const Matrix& a) {
  requireFinite(a, "mtrx_kernel");
  const Eigen::Index c = a.cols();
  if (a.size() == 0) {
    Matrix k = newMatrix(c, c == 0 ? 1 : c);
    k.setIdentity();
    return k;
  }
  const FullPivLU lu = scaledLU(a).lu;
  checkSize(c, std::max<Eigen::Index>(c - lu.rank(), 1));
  return lu.kernel();
}

Matrix image(const Matrix& a) {
  requireFinite(a, "mtrx_image");
  if (a.size() == 0) {
    Matrix zeros = newMatrix(a.rows(), 1);
    zeros.setZero();
    return zeros;
  }
  return scaledLU(a).lu.image(a);
}

Matrix inverse(const Matrix& a) {
  requireFinite(a, "mtrx_invert");
  if (a.rows() == 0 && a.cols() == 0) return Matrix(0, 0);
  if (a.size() != 0) {
    const ScaledLU s = scaledLU(a);
    if (s.lu.isInvertible()) return s.e == 0 ? Matrix(s.lu.inverse()) : scaledDown(s.lu.inverse(), s.e);
  }
  throw std::string("ZR::uBlasMatrix::mtrx_invert - Input matrix is not invertible");
}

// The product of the pivots as a mantissa and an exponent, so that it
// neither overflows nor underflows before the end. The kernel's own
// determinant is the row permutation's sign times the same product in
// doubles, whose sign survives overflow and underflow: only inf · 0 loses
// it, and then a pivot is 0 and so is the determinant. Where the
// elimination itself could leave the doubles, the rows and columns are
// first scaled by powers of two (exactly) and the determinant scaled back.
double determinant(const Matrix& a) {
  requireSquare(a, "mtrx_det");
  const Eigen::Index n = a.rows();
  if (n == 0) return 1.0;
  std::int64_t e = 0;
  Matrix lu = unbalanced(a) ? balanced(a, e) : a;
  const double plain = kernels().partialPivLU(lu.data(), n);
  const Wide pivots = productOf(n, [&lu](std::int64_t k) { return lu(k, k); });
  const bool odd = !std::isnan(plain) && std::signbit(plain) != std::signbit(pivots.m);
  return Wide::of(odd ? -pivots.m : pivots.m, pivots.e + e).value();
}

}  // namespace ZR
