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

namespace zr::stats {

// exp(t^2) erfc(t), without its underflow.
double erfcx(double t);

// The cdf (or with upper its complement) where Boost's loses digits.
double cdfOf(const InverseGaussian& d, double x, bool upper);
double cdfOf(const NonCentralT& d, double x, bool upper);

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

// Moments that Boost computes with cancellation (kurtosis.cpp).
double standardDeviationOf(const Weibull& d);
double standardDeviationOf(const NonCentralT& d);

// The root of increasing f on the support (lo, hi), bracketed by steps that
// double from guess (at most about 2100 of them, the range of a double),
// then found by TOMS 748 in at most 200 evaluations. Throws when f does not
// change sign on the support.
template <class F>
double bracketedRoot(F f, double guess, double lo, double hi) {
  if (lo <= -DBL_MAX) lo = -INFINITY;  // Boost's support of the real line
  if (hi >= DBL_MAX) hi = INFINITY;
  double a = guess, b = guess, fa = f(guess), fb = fa;
  if (fa == 0) return guess;
  double step = std::fmax(std::fabs(guess), 1.0);
  for (int i = 0; i < 2200 && (fa < 0) == (fb < 0); ++i) {
    if (fb < 0) {  // the root lies above
      a = b, fa = fb;
      b = std::isfinite(hi) ? b + (hi - b) / 2 : (b > 0 ? 2 * b : b + step);
      if (!std::isfinite(b) || b == a) break;
      fb = f(b);
    } else {
      b = a, fb = fa;
      a = std::isfinite(lo) ? a - (a - lo) / 2 : (a < 0 ? 2 * a : a - step);
      if (!std::isfinite(a) || a == b) break;
      fa = f(a);
    }
    step *= 2;
  }
  if (fa == 0) return a;
  if (fb == 0) return b;
  if ((fa < 0) == (fb < 0)) throw "StatsUtils::quantile - no root found on the support";
  std::uintmax_t iterations = 200;
  const auto r = boost::math::tools::toms748_solve(f, a, b, fa, fb,
                                                   boost::math::tools::eps_tolerance<double>(50),
                                                   iterations);
  return r.first + (r.second - r.first) / 2;
}

}  // namespace zr::stats
