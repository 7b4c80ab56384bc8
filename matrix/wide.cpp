#include "matrix/wide.h"

#include <limits>
#include <utility>

namespace ZR {

namespace {

bool isSpecial(double x) { return x == 0 || !std::isfinite(x); }

}  // namespace

Wide Wide::ofSubnormalOrSpecial(double x) {
  if (isSpecial(x)) return {x, 0};
  int e = 0;
  const double m = std::frexp(x, &e);
  return {m, e};
}

double Wide::value() const {
  if (isSpecial(m)) return m;
  if (e > 1024) return std::copysign(std::numeric_limits<double>::infinity(), m);
  if (e < -1074) return std::copysign(0.0, m);  // below half the least subnormal
  return PowerOfTwo(static_cast<int>(e)).times(m);
}

Wide operator*(Wide a, Wide b) {
  if (isSpecial(a.m) || isSpecial(b.m)) return {a.m * b.m, 0};
  return Wide::of(a.m * b.m, a.e + b.e);  // in [0.25, 1): normal, rounded once
}

Wide operator+(Wide a, Wide b) {
  if (!std::isfinite(a.m) || !std::isfinite(b.m) || (a.m == 0 && b.m == 0)) return {a.m + b.m, 0};
  if (a.m == 0) return b;
  if (b.m == 0) return a;
  if (a.e < b.e) std::swap(a, b);
  // b's mantissa aligned to a's is exact down to 2^-1022; below that it is
  // far under half an ulp of a's and cannot move the rounding.
  const std::int64_t d = b.e - a.e;
  const double aligned = d < -1074 ? 0.0 : PowerOfTwo(static_cast<int>(d)).times(b.m);
  return Wide::of(a.m + aligned, a.e);
}

Wide operator-(Wide a) { return {-a.m, a.e}; }

Wide operator/(Wide a, double n) {
  if (isSpecial(a.m)) return {a.m / n, 0};
  return Wide::of(a.m / n, a.e);
}

Wide abs(Wide a) { return {std::abs(a.m), a.e}; }

Wide sqrt(Wide a) {
  if (isSpecial(a.m) || a.m < 0) return {std::sqrt(a.m), 0};
  const bool odd = (a.e & 1) != 0;  // an even exponent halves exactly
  return Wide::of(std::sqrt(odd ? 2 * a.m : a.m), (a.e - (odd ? 1 : 0)) / 2);
}

bool operator<=(Wide a, Wide b) {
  if (std::isnan(a.m) || std::isnan(b.m)) return false;
  if (isSpecial(a.m) || isSpecial(b.m) || (a.m < 0) != (b.m < 0)) return a.m <= b.m;
  if (a.e != b.e) return (a.e < b.e) == (a.m > 0);
  return a.m <= b.m;
}

bool operator<(Wide a, Wide b) { return !std::isnan(a.m) && !std::isnan(b.m) && !(b <= a); }

}  // namespace ZR
