#include "matrix/reductions.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "matrix/wide.h"

namespace ZR {

namespace {

// |x - y| <= p min(|x|, |y|): relative, so only 0 is near 0. Where x - y
// overflows or the bound is rounded off the normal doubles, compared again
// with unbounded exponents.
bool isApprox(double x, double y, double p) {
  const double d = std::abs(x - y), least = std::min(std::abs(x), std::abs(y)), bound = p * least;
  if (isNormal(bound) && d <= DBL_MAX) return d <= bound;  // nothing left the doubles
  const bool overflow = std::isinf(d) && std::isfinite(x) && std::isfinite(y);
  const bool rounded = p != 0 && least != 0 && std::isfinite(p) && std::isfinite(least);
  if (!overflow && !rounded) return d <= bound;
  return abs(Wide::of(x) + -Wide::of(y)) <= Wide::of(p) * Wide::of(least);
}
bool isSmall(double x, double p) { return std::abs(x) <= p; }

template <class Replaces>
double extreme(const Matrix& a, const char* emptyMessage, Replaces replaces) {
  if (a.size() == 0) throw emptyMessage;
  const double* x = a.data();
  double m = x[0];
  for (Eigen::Index k = 1, n = a.size(); k < n; ++k)
    if (replaces(x[k], m)) m = x[k];
  return m;
}

// Left to right; where that overflows, again with unbounded exponents, as
// the sum of values scaled to 1 would give.
template <class Value>
Wide sum(Eigen::Index n, Value x) {
  double s = x(0);
  for (Eigen::Index k = 1; k < n; ++k) s = s + x(k);
  if (std::isfinite(s)) return Wide::of(s);
  return sumOf(n, [&x](std::int64_t k) { return Wide::of(x(k)); });
}

Wide valuesSum(const Matrix& a) {
  const double* x = a.data();
  return sum(a.size(), [x](Eigen::Index k) { return x[k]; });
}

}  // namespace

bool isEqual(const Matrix& a, const Matrix& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
  const double *x = a.data(), *y = b.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k)
    if (!(x[k] == y[k])) return false;
  return true;
}

double coeffSum(const Matrix& a) { return a.size() == 0 ? 0.0 : valuesSum(a).value(); }

double coeffProd(const Matrix& a) {
  const double* x = a.data();
  return productOf(a.size(), [x](std::int64_t k) { return x[k]; }).value();
}

double coeffMean(const Matrix& a) {
  if (a.size() == 0) throw "ZR::uBlasMatrix::mtrx_coeffMean::Input matrix is empty";
  const Wide s = valuesSum(a);
  const double n = static_cast<double>(a.size()), plain = s.value();
  return std::isfinite(plain) ? plain / n : (s / n).value();
}

double coeffMin(const Matrix& a) {
  return extreme(a, "ZR::uBlasMatrix::mtrx_coeffMin::Input matrix is empty",
                 [](double x, double m) { return x < m; });
}

double coeffMax(const Matrix& a) {
  return extreme(a, "ZR::uBlasMatrix::mtrx_coeffMax::Input matrix is empty",
                 [](double x, double m) { return m < x; });
}

double coeffTrace(const Matrix& a) {
  const Eigen::Index n = std::min(a.rows(), a.cols());
  return n == 0 ? 0.0 : sum(n, [&a](Eigen::Index i) { return a(i, i); }).value();
}

bool isIdentity(const Matrix& a, double p) {
  for (Eigen::Index i = 0; i < a.rows(); ++i)
    for (Eigen::Index j = 0; j < a.cols(); ++j)
      if (!(i == j ? isApprox(a(i, j), 1.0, p) : isSmall(a(i, j), p))) return false;
  return true;
}

bool isZero(const Matrix& a, double p) {
  const double* x = a.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k)
    if (!isSmall(x[k], p)) return false;
  return true;
}

// Where p or c is 0 the bound is exactly 0, and the plain test exact. Else
// block by block: plain while each value passes on a bound that is normal
// (below p |c|, checked once), the block's values one by one otherwise.
bool isConstant(const Matrix& a, double c, double p) {
  constexpr Eigen::Index block = 256;
  const double* x = a.data();
  const Eigen::Index n = a.size();
  const double size = std::abs(c);
  if (p == 0 || c == 0) {
    for (Eigen::Index k = 0; k < n; ++k)
      if (!(std::abs(x[k] - c) <= p * std::min(std::abs(x[k]), size))) return false;
    return true;
  }
  const bool bounded = p * size <= DBL_MAX;
  for (Eigen::Index k0 = 0; k0 < n; k0 += block) {
    const Eigen::Index k1 = std::min(n, k0 + block);
    bool passes = bounded;
    for (Eigen::Index k = k0; k < k1; ++k)
      passes &= std::max(std::abs(x[k] - c), DBL_MIN) <= p * std::min(std::abs(x[k]), size);
    if (passes) continue;
    for (Eigen::Index k = k0; k < k1; ++k)
      if (!isApprox(x[k], c, p)) return false;
  }
  return true;
}

}  // namespace ZR
