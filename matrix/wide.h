// Doubles whose exponent has no bounds, for reductions whose partial results
// overflow or underflow where their answer does not. Each operation rounds
// its mantissa once, as a double does, so a computation gives what it gives
// for its values scaled to 1: the plain double computation wherever that
// neither overflows nor underflows, bit for bit.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "matrix/matrix.h"

namespace ZR {

// |x| from DBL_MIN to DBL_MAX: neither rounded below nor overflowed.
inline bool isNormal(double x) {
  const double a = std::abs(x);
  return (a >= DBL_MIN) & (a <= DBL_MAX);  // no branch: loops keep it as a flag
}

// m · 2^e with 0.5 <= |m| < 1; a zero, infinity or NaN is m alone (e = 0).
struct Wide {
  double m = 0;
  std::int64_t e = 0;
  static Wide of(double x);
  // x · 2^e, for any double x.
  static Wide of(double x, std::int64_t e);
  // Rounded once to a double: 0 or infinity where the doubles end.
  double value() const;

 private:
  static Wide ofSubnormalOrSpecial(double x);
};

// A normal double's mantissa and exponent from its bits, as std::frexp
// gives them, without a call.
inline Wide Wide::of(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int biased = static_cast<int>(bits >> 52) & 0x7FF;
  if (biased == 0 || biased == 0x7FF) return ofSubnormalOrSpecial(x);
  bits = (bits & ~(std::uint64_t(0x7FF) << 52)) | (std::uint64_t(1022) << 52);
  Wide w;
  std::memcpy(&w.m, &bits, sizeof bits);
  w.e = biased - 1022;
  return w;
}

inline Wide Wide::of(double x, std::int64_t e) {
  Wide w = of(x);
  if (w.m != 0 && std::isfinite(w.m)) w.e += e;
  return w;
}

Wide operator*(Wide a, Wide b);
Wide operator+(Wide a, Wide b);
Wide operator-(Wide a);
Wide operator/(Wide a, double n);
Wide abs(Wide a);
Wide sqrt(Wide a);
// As the values compare; false with a NaN.
bool operator<=(Wide a, Wide b);
bool operator<(Wide a, Wide b);

// 2^e, for e from -1074 to 2046, as two exact factors, the second 1 unless
// 2^e exceeds the doubles: x · first · second rounds once, as x · 2^e would
// (the first step can only overflow where x · 2^e does).
struct PowerOfTwo {
  PowerOfTwo() = default;
  explicit PowerOfTwo(int e) : first(exact(std::min(e, 1023))), second(exact(e - std::min(e, 1023))) {}
  double times(double x) const { return x * first * second; }
  double first = 1.0, second = 1.0;

 private:
  // 2^e from its bits, e from -1074 to 1023.
  static double exact(int e) {
    const std::uint64_t bits = e >= -1022 ? std::uint64_t(e + 1023) << 52 : std::uint64_t(1) << (e + 1074);
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
  }
};

// values · 2^e as an expression, each value rounded once.
template <class Values>
auto timesPowerOfTwo(const Eigen::MatrixBase<Values>& values, int e) {
  const PowerOfTwo f(e);
  return values.unaryExpr([f](double x) { return f.times(x); });
}

// The e with max |a| in [2^(e-1), 2^e): a · 2^-e has its largest magnitude
// in [0.5, 1). 0 for a matrix without values or of zeros; a must be finite.
template <class Values>
int scaleExponent(const Eigen::MatrixBase<Values>& a) {
  int e = 0;
  if (a.size() != 0) std::frexp(a.cwiseAbs().maxCoeff(), &e);
  return e;
}

// x(0) · x(1) ··· x(n-1), left to right, each step rounded as a double of
// unbounded exponent would; 1 when n is 0. Each block of values is
// multiplied plainly onto the mantissa of the product so far; a block where
// a partial product leaves the normal doubles is taken again, the product
// brought back to [0.5, 1) at each step that would leave them.
template <class Value>
Wide productOf(std::int64_t n, Value x) {
  constexpr std::int64_t block = 256;
  Wide product = Wide::of(1.0);
  for (std::int64_t k0 = 0; k0 < n; k0 += block) {
    const std::int64_t k1 = std::min(n, k0 + block);
    double m = product.m;
    bool normal = true;
    for (std::int64_t k = k0; k < k1; ++k) {
      m = m * x(k);
      normal &= isNormal(m);
    }
    if (!normal && isNormal(product.m)) {  // a 0, infinity or NaN carries on as doubles do
      m = product.m;
      for (std::int64_t k = k0; k < k1; ++k) {
        const double v = x(k), q = m * v;
        if (isNormal(q) || !isNormal(m)) {
          m = q;
          continue;
        }
        product = Wide::of(m, product.e) * Wide::of(v);
        m = product.m;
      }
    }
    product = Wide::of(m, product.e);
  }
  return product;
}

// x(0) + x(1) + ... + x(n-1) of Wide values, left to right; n >= 1.
template <class Value>
Wide sumOf(std::int64_t n, Value x) {
  Wide s = x(0);
  for (std::int64_t k = 1; k < n; ++k) s = s + x(k);
  return s;
}

// v(0)² + ... + v(n-1)², left to right, where v(k, f) is the k-th value
// times the power of two f. Plain while the sum lies in [2^-900, DBL_MAX]
// (squares that underflow there change nothing); else again with the values
// scaled to a largest magnitude in [0.5, 1), whose squares do not overflow
// and underflow only 2^-1022 below the largest. A NaN stays.
template <class Value>
Wide sumOfSquares(std::int64_t n, Value v) {
  double s = 0, top = 0;
  for (std::int64_t k = 0; k < n; ++k) {
    const double x = v(k, PowerOfTwo());
    s += x * x;
    top = std::max(top, std::abs(x));
  }
  if (std::isnan(s) || (s >= 0x1p-900 && s <= DBL_MAX) || top == 0) return Wide::of(s);
  int e = 0;
  if (std::isinf(top)) {  // an infinite value, or a difference of values that overflowed
    const PowerOfTwo half(-1);
    top = 0;
    for (std::int64_t k = 0; k < n; ++k) top = std::max(top, std::abs(v(k, half)));
    if (std::isinf(top)) return Wide::of(s);
    ++e;
  }
  int t = 0;
  std::frexp(top, &t);
  e += t;
  const PowerOfTwo down(-e);
  s = 0;
  for (std::int64_t k = 0; k < n; ++k) {
    const double x = v(k, down);
    s += x * x;
  }
  return Wide::of(s, 2 * std::int64_t(e));
}

}  // namespace ZR
