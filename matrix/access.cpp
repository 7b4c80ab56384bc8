#include "matrix/access.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <new>

namespace ZR {

namespace {

using Index = Eigen::Index;

// Length of diagonal d of an r x c matrix; negative past the last one.
std::int64_t diagonalLength(std::int64_t r, std::int64_t c, std::int64_t d) {
  return d >= 0 ? std::min(r, c - d) : std::min(r + d, c);
}

// A copy of m under the size guard.
Matrix copyOf(const Matrix& m) {
  checkSize(m.rows(), m.cols());
  return m;
}

}  // namespace

Matrix newCounted(std::int64_t rows, std::int64_t cols) {
  const std::int64_t most = std::numeric_limits<std::int32_t>::max();
  if (rows > most || cols > most) throw std::bad_alloc();
  return newMatrix(rows, cols);
}

Wide sumOfSquares(const Matrix& m) {
  const double* x = m.data();
  return sumOfSquares(m.size(), [x](Index k, const PowerOfTwo& f) { return f.times(x[k]); });
}

double squaredNorm(const Matrix& m) { return sumOfSquares(m).value(); }

double norm(const Matrix& m) { return sqrt(sumOfSquares(m)).value(); }

// Plain while no product is rounded below the normal doubles and the sum
// stays finite; else again with products and sums of unbounded exponent.
// Products below DBL_MIN are only counted in the plain pass; whether one
// of them came from values that are not 0 is asked after it.
double dotProd(const Matrix& a, const Matrix& b) {
  if (a.cols() != 1 || b.cols() != 1 || a.rows() != b.rows())
    throw "uBlasMatrix::mtrx_dotProd::Inputs must be single columns of equal length";
  const double *x = a.data(), *y = b.data();
  const Index n = a.rows();
  double sum = 0;
  Index tiny = 0;
  for (Index k = 0; k < n; ++k) {
    const double p = x[k] * y[k];
    sum += p;
    tiny += std::abs(p) < DBL_MIN;
  }
  const auto underflows = [x, y, n] {
    bool any = false;
    for (Index k = 0; k < n; ++k) any |= (std::abs(x[k] * y[k]) < DBL_MIN) & (x[k] != 0) & (y[k] != 0);
    return any;
  };
  if (std::isfinite(sum) && (tiny == 0 || !underflows())) return sum;
  return (Wide() + sumOf(n, [x, y](Index k) { return Wide::of(x[k]) * Wide::of(y[k]); })).value();
}

Matrix row(const Matrix& m, std::int32_t i) {
  if (i < 0 || i >= m.rows()) throw "uBlasMatrix::mtrx_row::Invalid value of row index";
  Matrix z = newMatrix(1, m.cols());
  z = m.row(i);
  return z;
}

Matrix column(const Matrix& m, std::int32_t i) {
  if (i < 0 || i >= m.cols()) throw "uBlasMatrix::mtrx_column::Invalid value of column index";
  Matrix z = newMatrix(m.rows(), 1);
  z = m.col(i);
  return z;
}

Matrix diagonal(const Matrix& m, std::int32_t i) {
  const std::int64_t length = diagonalLength(m.rows(), m.cols(), i);
  Matrix z = newMatrix(length, 1);
  const Index first = i >= 0 ? 0 : -static_cast<Index>(i);  // row of the first value
  for (Index k = 0; k < length; ++k) z(k, 0) = m(first + k, first + k + i);
  return z;
}

Matrix block(const Matrix& m, std::int32_t i, std::int32_t j, std::int32_t p, std::int32_t q) {
  if (p < 0 || q < 0) throw std::bad_alloc();
  if (p == 0 || q == 0) return newMatrix(p, q);
  if (i < 0 || j < 0 || std::int64_t(i) + p > m.rows() || std::int64_t(j) + q > m.cols())
    throw "uBlasMatrix::mtrx_block::block out of range";
  Matrix z = newMatrix(p, q);
  z = m.block(i, j, p, q);
  return z;
}

Matrix replaceBlock(const Matrix& m, const Matrix& b, std::int32_t i, std::int32_t j) {
  if (i < 0 || j < 0 || i > m.rows() - b.rows() || j > m.cols() - b.cols())
    throw "mtrx_replaceblock()::Invalid (i,j) pair.";
  Matrix z = copyOf(m);
  z.block(i, j, b.rows(), b.cols()) = b;
  return z;
}

Matrix append(const Matrix& a, const Matrix& b, bool vertical) {
  if (vertical ? a.cols() != b.cols() : a.rows() != b.rows())
    throw "ZR::uBlasMatrix::mtrx_append::Incompatible matrices";
  if (vertical) {
    Matrix z = newCounted(std::int64_t(a.rows()) + b.rows(), a.cols());
    z.topRows(a.rows()) = a;
    z.bottomRows(b.rows()) = b;
    return z;
  }
  Matrix z = newCounted(a.rows(), std::int64_t(a.cols()) + b.cols());
  z.leftCols(a.cols()) = a;
  z.rightCols(b.cols()) = b;
  return z;
}

Matrix setDiagonal(const Matrix& m, const Matrix& d, std::int32_t index) {
  const std::int64_t offset = index < 0 ? -std::int64_t(index) : index;
  if (offset >= m.rows() || offset >= m.cols())
    throw "uBlasMatrix::mtrx_setDiagonal::diagonalIndex out of range";
  const std::int64_t length = diagonalLength(m.rows(), m.cols(), index);
  if (d.rows() != length) throw "uBlasMatrix::mtrx_setDiagonal::diagonal lengths mismatch";
  if (d.cols() == 0) throw "uBlasMatrix::mtrx_setDiagonal::Empty diagonal matrix";
  Matrix z = copyOf(m);
  const Index first = index >= 0 ? 0 : offset;
  for (Index k = 0; k < length; ++k) z(first + k, first + k + index) = d(k, 0);
  return z;
}

Matrix setRow(const Matrix& m, const Matrix& w, std::int32_t index) {
  if (index < 0 || index >= m.rows()) throw "uBlasMatrix::mtrx_setRow::Invalid value of row index";
  if (w.cols() != m.cols()) throw "uBlasMatrix::mtrx_setRow::Incompatible row vector";
  if (w.rows() == 0) throw "uBlasMatrix::mtrx_setRow::Empty row vector";
  Matrix z = copyOf(m);
  z.row(index) = w.row(0);
  return z;
}

Matrix setColumn(const Matrix& m, const Matrix& v, std::int32_t index) {
  if (index < 0 || index >= m.cols())
    throw "uBlasMatrix::mtrx_setColumn::Invalid value of column index";
  if (v.rows() != m.rows()) throw "uBlasMatrix::mtrx_setColumn::Incompatible column vector";
  if (v.cols() == 0) throw "uBlasMatrix::mtrx_setColumn::Empty column vector";
  Matrix z = copyOf(m);
  z.col(index) = v.col(0);
  return z;
}

Matrix setElement(const Matrix& m, double value, std::int32_t row, std::int32_t col) {
  if (row < 0 || row >= m.rows() || col < 0 || col >= m.cols())
    throw "uBlasMatrix::mtrx_setElement::(rowIndex,colIndex) out of range";
  Matrix z = copyOf(m);
  z(row, col) = value;
  return z;
}

}  // namespace ZR
