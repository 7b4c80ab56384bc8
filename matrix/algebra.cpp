#include "matrix/algebra.h"

#include <cmath>
#include <vector>

#include "matrix/wide.h"

namespace ZR {

namespace {

using Index = Eigen::Index;

// Entries of r = a b that left the doubles on the way (a sum of products
// that overflowed) though their row of a and column of b are finite: taken
// again, left to right, with products and sums of unbounded exponent, so
// that an answer that is a double shows as one.
void retakeOverflowedEntries(const Matrix& a, const Matrix& b, Matrix& r) {
  if (r.allFinite()) return;
  std::vector<char> rowFinite(a.rows()), colFinite(b.cols());
  for (Index i = 0; i < a.rows(); ++i) rowFinite[i] = a.row(i).allFinite();
  for (Index j = 0; j < b.cols(); ++j) colFinite[j] = b.col(j).allFinite();
  for (Index i = 0; i < r.rows(); ++i)
    for (Index j = 0; j < r.cols(); ++j)
      if (!std::isfinite(r(i, j)) && rowFinite[i] && colFinite[j])
        r(i, j) = sumOf(a.cols(), [&](Index k) { return Wide::of(a(i, k)) * Wide::of(b(k, j)); }).value();
}

void requireSameShape(const Matrix& a, const Matrix& b, const char* message) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) throw message;
}

// Each value a[k] op b[k], in storage order.
template <class Op>
Matrix elementwise(const Matrix& a, const Matrix& b, Op op) {
  Matrix r = newMatrix(a.rows(), a.cols());
  const double *x = a.data(), *y = b.data();
  double* z = r.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k) z[k] = op(x[k], y[k]);
  return r;
}

// Where a triangular mode keeps A's values and what goes on the diagonal.
struct Triangle {
  const char* mode;
  bool upper;      // keeps j > i, else j < i
  int diagonal;    // 0: A's value, 1: one, 2: zero
};
const Triangle triangles[] = {{"u", true, 0},   {"l", false, 0}, {"uu", true, 1},
                              {"ul", false, 1}, {"sl", false, 2}, {"su", true, 2}};

}  // namespace

Matrix add(const Matrix& a, const Matrix& b) {
  requireSameShape(a, b, "ZR::uBlasMatrix::mtrx_add::Incompatible matrices");
  return elementwise(a, b, [](double x, double y) { return x + y; });
}

Matrix minus(const Matrix& a, const Matrix& b) {
  requireSameShape(a, b, "ZR::uBlasMatrix::mtrx_minus::Incompatible matrices");
  return elementwise(a, b, [](double x, double y) { return x - y; });
}

Matrix multiply(const Matrix& a, const Matrix& b, Kernel kernel) {
  if (a.cols() != b.rows()) throw "ZR::uBlasMatrix::mtrx_multiply::Incompatible matrices";
  Matrix r = newMatrix(a.rows(), b.cols());
  kernels(kernel).product(a.data(), b.data(), r.data(), a.rows(), a.cols(), b.cols());
  retakeOverflowedEntries(a, b, r);
  return r;
}

Matrix multiply(const Matrix& a, const Matrix& b) { return multiply(a, b, bestKernel()); }

Matrix multiplyConst(const Matrix& a, double c) {
  Matrix r = newMatrix(a.rows(), a.cols());
  const double* x = a.data();
  double* z = r.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k) z[k] = x[k] * c;
  return r;
}

Matrix transpose(const Matrix& a) {
  Matrix r = newMatrix(a.cols(), a.rows());
  r = a.transpose();
  return r;
}

Matrix asDiagonal(const Matrix& a) {
  if (a.size() == 0) return newMatrix(0, 0);
  if (a.cols() != 1) throw "ZR::uBlasMatrix::mtrx_asDiagonal::Input matrix must have one column";
  const Eigen::Index n = a.rows();
  Matrix r = newMatrix(n, n);
  r.setZero();
  for (Eigen::Index i = 0; i < n; ++i) r(i, i) = a(i, 0);
  return r;
}

Matrix triangularView(const Matrix& a, const std::string& mode) {
  for (const Triangle& t : triangles) {
    if (!optionIs(mode, t.mode)) continue;
    Matrix r = newMatrix(a.rows(), a.cols());
    for (Eigen::Index i = 0; i < a.rows(); ++i)
      for (Eigen::Index j = 0; j < a.cols(); ++j) {
        if (i == j)
          r(i, j) = t.diagonal == 0 ? a(i, j) : t.diagonal == 1 ? 1.0 : 0.0;
        else
          r(i, j) = (j > i) == t.upper ? a(i, j) : 0.0;
      }
    return r;
  }
  return newMatrix(0, 0);
}

}  // namespace ZR
