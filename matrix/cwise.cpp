#include "matrix/cwise.h"

#include "matrix/access.h"

namespace ZR {

namespace {

const char* mismatch(Cwise op) {
  switch (op) {
    case Cwise::Min: return "ZR::uBlasMatrix::mtrx_cwiseMin::Incompatible matrices";
    case Cwise::Max: return "ZR::uBlasMatrix::mtrx_cwiseMax::Incompatible matrices";
    case Cwise::Prod: return "ZR::uBlasMatrix::mtrx_cwiseProd::Incompatible matrices";
    default: return "ZR::uBlasMatrix::mtrx_cwiseQuot::Incompatible matrices";
  }
}

// A result of m's shape, filled with f of each value.
template <class F>
Matrix eachOf(const Matrix& m, F f) {
  Matrix z = newMatrix(m.rows(), m.cols());
  const double* x = m.data();
  double* out = z.data();
  const Eigen::Index n = m.size();
  for (Eigen::Index k = 0; k < n; ++k) out[k] = f(x[k]);
  return z;
}

}  // namespace

Matrix cwise(Cwise op, const Matrix& a, const Matrix& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) throw mismatch(op);
  Matrix z = newMatrix(b.rows(), b.cols());
  // Eigen's min and max follow std::min(x, y) and std::max(x, y): y only
  // when y < x (y > x), so ties, ±0 and NaN keep the first operand.
  switch (op) {
    case Cwise::Min: z.array() = a.array().min(b.array()); break;
    case Cwise::Max: z.array() = a.array().max(b.array()); break;
    case Cwise::Prod: z.array() = a.array() * b.array(); break;
    case Cwise::Quot: z.array() = a.array() / b.array(); break;
  }
  return z;
}

Matrix cwiseSqrt(const Matrix& m) {
  Matrix z = newMatrix(m.rows(), m.cols());
  z.array() = m.array().sqrt();
  return z;
}

Matrix cwiseInverse(const Matrix& m) {
  Matrix z = newMatrix(m.rows(), m.cols());
  z.array() = m.array().inverse();
  return z;
}

Matrix cwiseAbs(const Matrix& m) {
  Matrix z = newMatrix(m.rows(), m.cols());
  z.array() = m.array().abs();
  return z;
}

Matrix coeffCapFloor(const Matrix& m, double cap, double floor) {
  return eachOf(m, [cap, floor](double x) { return floor > x ? floor : cap < x ? cap : x; });
}

Matrix coeffCap(const Matrix& m, double cap) {
  return eachOf(m, [cap](double x) { return cap < x ? cap : x; });
}

Matrix coeffFloor(const Matrix& m, double floor) {
  return eachOf(m, [floor](double x) { return floor > x ? floor : x; });
}

// On squared norms of unbounded exponent: the answer for a and b scaled to 1.
bool isApprox(const Matrix& a, const Matrix& b, double precision) {
  if (a.rows() != b.rows() || a.cols() != b.cols())
    throw "ZR::uBlasMatrix::mtrx_isApprox::Incompatible matrices";
  const double *x = a.data(), *y = b.data();
  const Wide diff =
      sumOfSquares(a.size(), [x, y](Eigen::Index k, const PowerOfTwo& f) { return f.times(x[k]) - f.times(y[k]); });
  const Wide na = sumOfSquares(a), nb = sumOfSquares(b), p = Wide::of(precision);
  return diff <= p * p * (nb < na ? nb : na);
}

bool isMuchSmallerThan(const Matrix& a, const Matrix& b, double precision) {
  const Wide p = Wide::of(precision);
  return sumOfSquares(a) <= p * p * sumOfSquares(b);
}

}  // namespace ZR
