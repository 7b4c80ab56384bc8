// Where Boost.Math 1.74 gives a wrong number for a kind, the number computed
// here instead: tails without cancellation or underflow, quantiles by a
// bracketed search, moments without cancellation.
#pragma once

#include <boost/math/tools/toms748_solve.hpp>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <utility>

#include "statistics/kinds.h"

namespace ZR::stats {

inline constexpr double pi = 3.141592653589793, rootTwo = 1.4142135623730951;

// Boost's cdf, or with upper its complement (found by argument-dependent
// lookup, so the kind's Boost header may come after this one).
template <class D>
double boostCdf(const D& d, double x, bool upper) {
  return upper ? cdf(complement(d, x)) : cdf(d, x);
}

// exp(t^2) erfc(t), without its underflow.
double erfcx(double t);

// The cdf (or with upper its complement) where Boost's loses digits.
double cdfOf(const InverseGaussian& d, double x, bool upper);
double cdfOf(const NonCentralT& d, double x, bool upper);
double pdfOf(const NonCentralT& d, double x);

// The lower tail of the Poisson mixtures (non-central beta, chi-square and
// F), where Boost's sums, begun at the largest weight, stop at terms that
// underflow and give 0 (pdf and cdf), and of the kinds whose scale Boost
// squares (Rayleigh), whose widths it multiplies (triangular) or whose ratio
// to x it rounds (Pareto).
double cdfOf(const NonCentralBeta& d, double x, bool upper);
double cdfOf(const NonCentralChiSquared& d, double x, bool upper);
double cdfOf(const NonCentralF& d, double x, bool upper);
double cdfOf(const Rayleigh& d, double x, bool upper);
double cdfOf(const Pareto& d, double x, bool upper);
double pdfOf(const NonCentralBeta& d, double x);
double pdfOf(const NonCentralChiSquared& d, double x);
double pdfOf(const NonCentralF& d, double x);
double pdfOf(const Rayleigh& d, double x);
double pdfOf(const Pareto& d, double x);
double quantileOf(const Rayleigh& d, double p);
double pdfOf(const Triangular& d, double x);
double cdfOf(const Triangular& d, double x, bool upper);
double quantileOf(const Triangular& d, double p);
double meanOf(const Triangular& d);
double standardDeviationOf(const Triangular& d);

// sum_j Poisson(j; mu) term(j) from j = 0 on, for a lower tail: at most
// mu + 40 sqrt(mu) + 100 terms, and only where mu is at most
// poissonSeriesMean (callers keep Boost's sum beyond).
inline constexpr double poissonSeriesMean = 1e4;
template <class Term>
double poissonSeries(double mu, Term term) {
  if (mu == 0) return term(0);
  const double logMu = std::log(mu), last = mu + 40 * std::sqrt(mu) + 100;
  double sum = 0, logWeight = -mu;
  for (int j = 0; j < last; ++j) {
    const double t = std::exp(logWeight) * term(j);
    sum += t;
    if (j > mu && t <= 1e-17 * sum) break;
    logWeight += logMu - std::log(j + 1.0);
  }
  return sum;
}

// The hazard and cumulative hazard where the pdf or the survival function
// underflows, in closed form or in logs; false for a kind that has none.
bool upperTail(const Normal& d, double x, double& hazard, double& cumHazard);
bool upperTail(const LogNormal& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Exponential& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Weibull& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Rayleigh& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Logistic& d, double x, double& hazard, double& cumHazard);
bool upperTail(const ExtremeValue& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Laplace& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Cauchy& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Pareto& d, double x, double& hazard, double& cumHazard);
bool upperTail(const Gamma& d, double x, double& hazard, double& cumHazard);
bool upperTail(const ChiSquared& d, double x, double& hazard, double& cumHazard);
bool upperTail(const InverseGaussian& d, double x, double& hazard, double& cumHazard);
bool upperTail(const NonCentralT& d, double x, double& hazard, double& cumHazard);
template <class D>
bool upperTail(const D&, double, double&, double&) {
  return false;
}

// Moments that Boost computes with cancellation (kurtosis.cpp) or through a
// square that overflows or underflows (mends.cpp).
double standardDeviationOf(const Weibull& d);
double standardDeviationOf(const NonCentralT& d);
double standardDeviationOf(const LogNormal& d);
double standardDeviationOf(const Rayleigh& d);
double standardDeviationOf(const Uniform& d);
double standardDeviationOf(const Pareto& d);

// Boost's mode of the non-central kinds is a numeric search good to about
// half the digits: refined here to the root of the pdf's central
// difference, near Boost's and no further than width / 1e4 from it.
template <class Pdf>
double refinedMode(Pdf pdf, double mode, double width) {
  if (!(width > 0) || !std::isfinite(width)) return mode;
  const double h = 6e-6 * width;  // about the cube root of epsilon
  auto slope = [&](double x) { return pdf(x - h) - pdf(x + h); };  // rises through the mode
  const double a = mode - 1e-4 * width, b = mode + 1e-4 * width;
  const double fa = slope(a), fb = slope(b);
  if (!(fa < 0 && fb > 0)) return mode;
  std::uintmax_t iterations = 100;
  const auto r = boost::math::tools::toms748_solve(slope, a, b, fa, fb,
                                                   boost::math::tools::eps_tolerance<double>(50), iterations);
  return r.first + (r.second - r.first) / 2;
}

// The root of increasing f on the support (lo, hi), bracketed by steps that
// grow sixteenfold from guess (at most about 600 of them, the range of a
// double), then found by TOMS 748 in at most 200 evaluations, to 50 bits or
// to an absolute width of `within`. Throws when f does not change sign on
// the support.
template <class F>
double bracketedRoot(F f, double guess, double lo, double hi, double within = 0) {
  if (lo <= -DBL_MAX) lo = -INFINITY;  // Boost's support of the real line
  if (hi >= DBL_MAX) hi = INFINITY;
  double a = guess, b = guess, fa = f(guess), fb = fa;
  if (fa == 0) return guess;
  double step = std::fmax(std::fabs(guess), 1.0);
  for (int i = 0; i < 600 && (fa < 0) == (fb < 0); ++i) {
    if (fb < 0) {  // the root lies above
      a = b, fa = fb;
      b = std::isfinite(hi) ? hi - (hi - b) / 16 : (b > 0 ? 16 * b : b + step);
      if (!std::isfinite(b) || b == a) break;
      fb = f(b);
    } else {
      b = a, fb = fa;
      a = std::isfinite(lo) ? lo + (a - lo) / 16 : (a < 0 ? 16 * a : a - step);
      if (!std::isfinite(a) || a == b) break;
      fa = f(a);
    }
    step *= 16;
  }
  if (fa == 0) return a;
  if (fb == 0) return b;
  if ((fa < 0) == (fb < 0)) throw "StatsUtils::quantile - no root found on the support";
  std::uintmax_t iterations = 200;
  boost::math::tools::eps_tolerance<double> bits(50);
  const auto r = boost::math::tools::toms748_solve(
      f, a, b, fa, fb, [&](double x, double y) { return bits(x, y) || std::fabs(x - y) <= within; },
      iterations);
  return r.first + (r.second - r.first) / 2;
}

}  // namespace ZR::stats
