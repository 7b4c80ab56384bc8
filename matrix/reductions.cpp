#include "matrix/reductions.h"

#include <algorithm>
#include <cmath>

namespace ZR {

namespace {

// |x - y| <= p min(|x|, |y|): relative, so only 0 is near 0.
bool isApprox(double x, double y, double p) {
  return std::abs(x - y) <= p * std::min(std::abs(x), std::abs(y));
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

}  // namespace

bool isEqual(const Matrix& a, const Matrix& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
  const double *x = a.data(), *y = b.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k)
    if (!(x[k] == y[k])) return false;
  return true;
}

double coeffSum(const Matrix& a) {
  if (a.size() == 0) return 0.0;
  const double* x = a.data();
  double s = x[0];
  for (Eigen::Index k = 1, n = a.size(); k < n; ++k) s = s + x[k];
  return s;
}

double coeffProd(const Matrix& a) {
  if (a.size() == 0) return 1.0;
  const double* x = a.data();
  double s = x[0];
  for (Eigen::Index k = 1, n = a.size(); k < n; ++k) s = s * x[k];
  return s;
}

double coeffMean(const Matrix& a) {
  if (a.size() == 0) throw "ZR::uBlasMatrix::mtrx_coeffMean::Input matrix is empty";
  return coeffSum(a) / static_cast<double>(a.size());
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
  if (n == 0) return 0.0;
  double t = a(0, 0);
  for (Eigen::Index i = 1; i < n; ++i) t = t + a(i, i);
  return t;
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

bool isConstant(const Matrix& a, double c, double p) {
  const double* x = a.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k)
    if (!isApprox(x[k], c, p)) return false;
  return true;
}

}  // namespace ZR
