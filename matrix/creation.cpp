#include "matrix/creation.h"

#include <algorithm>
#include <cstdlib>

namespace ZR {

Matrix fromArray(std::int32_t rows, std::int32_t cols, const double* values) {
  if (rows < 1) throw "ZR::Eigen::Invalid Input Matrix";
  Matrix m = newMatrix(rows, cols);
  std::copy(values, values + m.size(), m.data());
  return m;
}

Matrix randomMatrix(std::int32_t rows, std::int32_t cols) {
  Matrix m = newMatrix(rows, cols);
  double* p = m.data();
  for (Eigen::Index k = 0; k < m.size(); ++k) p[k] = 2.0 * std::rand() / RAND_MAX - 1.0;
  return m;
}

Matrix identityMatrix(std::int32_t rows, std::int32_t cols) {
  Matrix m = constantMatrix(rows, cols, 0.0);
  for (Eigen::Index i = 0, n = std::min(m.rows(), m.cols()); i < n; ++i) m(i, i) = 1.0;
  return m;
}

Matrix constantMatrix(std::int32_t rows, std::int32_t cols, double value) {
  Matrix m = newMatrix(rows, cols);
  std::fill(m.data(), m.data() + m.size(), value);
  return m;
}

}  // namespace ZR
