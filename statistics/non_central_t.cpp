// The non-central t kind (its quantile and mode are heavy to build), and its
// tails without Boost's cancellation.
#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"
#include "statistics/mends.h"
#include "statistics/non_central_t.h"

namespace ZR::stats {

boost::any makeNonCentralT(double v, double lambda) { return NonCentralT(v, lambda); }

namespace {

// exp(t) - 1 - t without cancellation.
double expm1m(double t) {
  if (std::fabs(t) > 0.1) return std::expm1(t) - t;
  double term = t * t / 2, sum = term;
  for (int n = 3; n < 20 && std::fabs(term) > 1e-18 * std::fabs(sum); ++n) sum += term *= t / n;
  return sum;
}

// log Phi(a) and Phi'(a) / Phi(a).
double logPhi(double a) {
  if (a > 0) return std::log1p(-std::erfc(a / rootTwo) / 2);
  if (a > -5) return std::log(std::erfc(-a / rootTwo) / 2);
  return std::log(erfcx(-a / rootTwo) / 2) - a * a / 2;
}
double millsInverse(double a) {
  if (a > -5) return std::exp(-a * a / 2) / std::sqrt(2 * pi) / (std::erfc(-a / rootTwo) / 2);
  return std::sqrt(2 / pi) / erfcx(-a / rootTwo);
}

// log P(V < y), y = exp(logY), for V a chi-square with v degrees of
// freedom: below half its mean by the series of the lower incomplete gamma
// function in logs (Boost's divides a power by a gamma function that
// overflows for large v, and its lower function underflows for tiny v).
double logChiSquareBelow(double v, double logY) {
  const double a = v / 2, logZ = logY - std::log(2.0);
  if (!(logZ < std::log((a + 1) / 2))) return std::log(gammaP(a, std::exp(logZ), false));
  const double z = std::exp(logZ);
  double sum = 1, term = 1;
  for (int k = 1; k < 100 && term > 1e-17 * sum; ++k) sum += term *= z / (a + k);  // ratio below 1/2
  return a * logZ - z - boost::math::lgamma(a + 1) + std::log(sum);
}

double logSumExp(double a, double b) {
  const double top = std::fmax(a, b);
  if (top == -INFINITY) return top;
  return top + std::log(std::exp(a - top) + std::exp(b - top));
}

}  // namespace

ChiDensity::ChiDensity(double v) : v_(v) {
  // log of 2 (v/2)^(v/2) / Gamma(v/2), less the part that cancels with
  // exp(-(v/2)(e^(2w) - 1)): 0.5 log(v / pi) less Stirling's remainder.
  const double z = v / 2;
  double remainder;
  if (z >= 10) {
    const double z2 = z * z;
    remainder = (1 - (1 - (1 - 0.75 / z2) * 2.0 / 7 / z2) / 30 / z2) / 12 / z;
  } else {
    remainder = boost::math::lgamma(z) - ((z - 0.5) * std::log(z) - z + 0.5 * std::log(2 * pi));
  }
  logNorm_ = 0.5 * std::log(v / pi) - remainder;
}

double ChiDensity::log(double w) const { return logNorm_ - v_ / 2 * expm1m(2 * w); }

double ChiDensity::logSlope(double w) const { return -v_ * std::expm1(2 * w); }

double ChiDensity::peakWidth() const { return 1 / std::sqrt(2 * v_ + 1); }

// The w above the peak where the log density has fallen by `drop`: the root
// of expm1(u) - u = 2 drop / v in u = 2 w, by Newton's steps from above
// (the function is convex), from a bound that is always above it.
double ChiDensity::fallenBy(double drop) const {
  const double target = 2 * drop / v_;
  double u = std::sqrt(2 * target) + std::log1p(target);
  for (int i = 0; i < 100; ++i) {
    const double e = std::expm1(u), step = (e - u - target) / e;
    u -= step;
    if (!(step > 1e-12 * u)) break;
  }
  return u / 2;
}

namespace {

// log of the integral over w in [from, to] of exp(f(w)), f with slope df
// and about one peak about width wide: the peak by TOMS 748 on df, the width
// from the curvature there, the ends where f has fallen by 60 (in at most 64
// doubling steps), then Gauss-Kronrod. -inf where f is -inf at its peak
// (nothing to integrate); SearchFailed where a step does not converge.
template <class F, class DF>
double logIntegral(F f, DF df, double width, double from, double to) {
  double peak = from;
  if (df(from) > 0) {
    peak = to;
    if (df(to) < 0) {
      const double guess = std::isfinite(from) ? std::fmin(std::fmax(0.0, from + 1), from + (to - from) / 2)
                                               : std::fmin(0.0, to - 1);
      peak = bracketedRoot([&](double w) { return -df(w); }, guess, from, to, 1e-3 * width);
    }
  }
  const double top = f(peak);
  if (top == -INFINITY) return top;
  if (!std::isfinite(top)) throw SearchFailed{NoConvergence};
  for (int i = 0; i < 3; ++i) {  // the curvature, on a step below the width
    const double h = width / 8, curvature = (df(peak - h) - df(peak + h)) / (2 * h);
    const double next = 1 / std::sqrt(curvature);
    if (!(next > 0 && next < INFINITY) || std::fabs(next - width) < width / 4) break;
    width = next;
  }
  double lo = peak - width, hi = peak + width, step = width;
  int i = 0;
  for (; i < 64 && lo > from && f(lo) > top - 60; ++i, step *= 2) lo -= step;
  if (i == 64) throw SearchFailed{NoConvergence};
  step = width;
  for (i = 0; i < 64 && hi < to && f(hi) > top - 60; ++i, step *= 2) hi += step;
  if (i == 64) throw SearchFailed{NoConvergence};
  return top + std::log(integral([&](double w) { return std::exp(f(w) - top); }, std::fmax(lo, from),
                                 std::fmin(hi, to)));
}

}  // namespace

// T = (Z + delta) / s with s^2 a chi-square over v: P(T <= x) is the mean of
// Phi(x s - delta), P(T > x) that of Phi(delta - x s) and the density that
// of s phi(x s - delta); every term is positive, so nothing cancels. In
// w = log s, up to where the chi density has fallen by 1500 below its peak
// (beyond, nothing a double holds is left).
double nonCentralTLog(const NonCentralT& d, double x, NonCentralTPart part) {
  const ChiDensity chi(d.degrees_of_freedom());
  const double delta = d.non_centrality(), top = chi.fallenBy(1500 + std::fmax(chi.log(0), 0.0));
  if (part == NonCentralTPart::Density) {
    auto f = [&](double w) {
      const double a = x * std::exp(w) - delta;
      return chi.log(w) + w - a * a / 2 - 0.5 * std::log(2 * pi);
    };
    auto df = [&](double w) {
      const double s = std::exp(w), a = x * s - delta;
      return chi.logSlope(w) + 1 - a * x * s;
    };
    return logIntegral(f, df, chi.peakWidth(), -INFINITY, top);
  }
  // Phi(sign (x s - delta)) tends to Phi(-sign delta) as s goes to 0, where
  // the chi density falls only as s^v: below s = 1e-15 / |x| it is that
  // constant times the chi-square's lower tail, the rest an integral.
  const double sign = part == NonCentralTPart::Lower ? 1 : -1;
  const double logLimit = logPhi(-sign * delta);
  if (x == 0) return logLimit;
  const double cut = std::log(1e-15 / std::fabs(x)), v = d.degrees_of_freedom();
  const double logNear0 = logLimit + logChiSquareBelow(v, std::log(v) + 2 * cut);
  if (!(cut < top)) return logNear0;
  auto f = [&](double w) { return chi.log(w) + logPhi(sign * (x * std::exp(w) - delta)); };
  auto df = [&](double w) {
    const double s = std::exp(w), m = millsInverse(sign * (x * s - delta));
    return chi.logSlope(w) + (m == 0 ? 0 : m * sign * x * s);  // not 0 * inf
  };
  return logSumExp(logIntegral(f, df, chi.peakWidth(), cut, top), logNear0);
}

// The integral everywhere: Boost's sum cancels in the tails (its cdf went
// negative) and takes a term per unit of delta^2 / 2. The integral is good to
// its last digits relative to itself, not to 1e-16 of 1: the side at most
// one half is integrated and the other is its complement, never above 1.
// At delta 0, the central t.
double cdfOf(const NonCentralT& d, double x, bool upper) {
  const double v = d.degrees_of_freedom(), delta = d.non_centrality();
  if (!std::isfinite(x) || std::isinf(v)) return boostCdf(d, x, upper);
  if (delta == 0) return boostCdf(StudentsT(v), x, upper);
  bool smallIsUpper = !(x < delta);
  double small = std::exp(nonCentralTLog(d, x, smallIsUpper ? NonCentralTPart::Upper : NonCentralTPart::Lower));
  if (small > 0.5) {
    smallIsUpper = !smallIsUpper;
    small = std::exp(nonCentralTLog(d, x, smallIsUpper ? NonCentralTPart::Upper : NonCentralTPart::Lower));
  }
  return upper == smallIsUpper ? small : 1 - small;
}

double pdfOf(const NonCentralT& d, double x) {
  if (!std::isfinite(x) || std::isinf(d.degrees_of_freedom())) return boost::math::pdf(d, x);
  if (d.non_centrality() == 0) return boost::math::pdf(StudentsT(d.degrees_of_freedom()), x);
  return std::exp(nonCentralTLog(d, x, NonCentralTPart::Density));
}

double quantileOf(const NonCentralT& d, double p) {
  if (d.non_centrality() == 0) return boost::math::quantile(StudentsT(d.degrees_of_freedom()), p);
  return bracketedQuantile(d, p, d.non_centrality());
}

bool upperTail(const NonCentralT& d, double x, double& hazard, double& cumHazard) {
  if (!std::isfinite(x) || std::isinf(d.degrees_of_freedom())) return false;
  const double logSurvival = nonCentralTLog(d, x, NonCentralTPart::Upper);
  hazard = std::exp(nonCentralTLog(d, x, NonCentralTPart::Density) - logSurvival);
  cumHazard = -logSurvival;
  return true;
}

template const Operations& operationsOf<NonCentralT>();

}  // namespace ZR::stats
