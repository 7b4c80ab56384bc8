#include "matrix/shape.h"

#include <cmath>
#include <limits>
#include <new>

#include "matrix/access.h"

namespace ZR {

bool isDiagonal(const Matrix& m) {
  for (Eigen::Index i = 0; i < m.rows(); ++i)
    for (Eigen::Index j = 0; j < m.cols(); ++j)
      if (i != j && m(i, j) != 0) return false;
  return true;
}

bool isSquare(const Matrix& m) { return m.rows() == m.cols(); }
bool isRow(const Matrix& m) { return m.rows() == 1; }
bool isColumn(const Matrix& m) { return m.cols() == 1; }

Matrix cwisePow(const Matrix& m, double n) {
  Matrix z = newMatrix(m.rows(), m.cols());
  const double* x = m.data();
  double* out = z.data();
  for (Eigen::Index k = 0, size = m.size(); k < size; ++k) out[k] = std::pow(x[k], n);
  return z;
}

Matrix repeat(const Matrix& m, std::int32_t n, bool vertical) {
  const Eigen::Index r = m.rows(), c = m.cols();
  const std::int64_t dimension = std::int64_t(vertical ? r : c) * n;
  if (dimension < 0) throw std::bad_alloc();
  if (dimension > std::numeric_limits<std::int32_t>::max())
    throw "uBlasMatrix::mtrx_repeat::repeated dimension exceeds 2147483647";
  Matrix z = vertical ? newCounted(dimension, c) : newCounted(r, dimension);
  if (z.size() == 0) return z;
  for (std::int32_t k = 0; k < n; ++k) {
    if (vertical)
      z.block(k * r, 0, r, c) = m;
    else
      z.block(0, k * c, r, c) = m;
  }
  return z;
}

}  // namespace ZR
