// Where Boost.Math 1.74 gives a wrong number for a kind, the number computed
// here instead: tails without cancellation or underflow, quantiles by a
// bracketed search, moments without cancellation.
#pragma once

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/log1p.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <utility>

#include "statistics/kinds.h"

namespace ZR::stats {

inline constexpr double pi = 3.141592653589793, rootTwo = 1.4142135623730951, rootTwoPi = 2.5066282746310002;

// Boost's cdf, or with upper its complement (found by argument-dependent
// lookup, so the kind's Boost header may come after this one).
template <class D>
double boostCdf(const D& d, double x, bool upper) {
  return upper ? cdf(complement(d, x)) : cdf(d, x);
}

// exp(t^2) erfc(t), without its underflow.
double erfcx(double t);

// The regularized incomplete gamma function P(a, x / scale), or with upper
// Q(a, x / scale): Boost's, but for large a with x near it by Temme's
// expansion (Boost's own, which Boost keeps to a band too narrow there:
// beside it its series takes a term per unit of a / |x - a|, and gives up
// after 10^6), for large a with x small by its series in logs (Boost divides
// x^a by a gamma function that overflows), and where x / scale underflows by
// its leading term in logs.
double gammaP(double a, double x, bool upper, double scale = 1);

// log B(a, b), and the regularized incomplete beta function I_x(a, b) where x
// is below 1e-300 (its leading term x^a / (a B(a, b)), x in logs).
double logBeta(double a, double b);
double ibetaSmall(double a, double b, double logX);

// Where both shapes p and q are from 1e8 on, Boost's incomplete beta function
// and its derivative lose up to 1e-7 (its power terms cancel in long double):
// there by Temme's uniform expansion, whose next term is below 1e-13 there.
// Its argument x enters as the excess N = x q - (1 - x) p, that is
// (p + q) (x - p / (p + q)), formed without rounding x's distance from the
// mean (betaExcess). ibetaLarge is I_x(p, q), with upper its complement;
// betaPowers is x^p (1 - x)^q / B(p, q).
bool largeShapes(double p, double q);
double betaExcess(double x, double p, double q);
double ibetaLarge(double p, double q, double excess, bool upper);
double betaPowers(double p, double q, double excess);

// z^(a - 1) e^-z / Gamma(a) for a from 1e8 on, z given as its excess z - a
// (in long double: a Poisson count's k + 1 beyond 2^53), where Boost's
// derivative of the incomplete gamma function loses a * 5e-20.
double gammaPowers(long double a, long double excess);

// The cdf (or with upper its complement) where Boost's loses digits.
double cdfOf(const InverseGaussian& d, double x, bool upper);
double cdfOf(const NonCentralT& d, double x, bool upper);
double pdfOf(const NonCentralT& d, double x);
double quantileOf(const NonCentralT& d, double p);

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
double meanOf(const NonCentralBeta& d);
double standardDeviationOf(const NonCentralBeta& d);
double pdfOf(const NonCentralChiSquared& d, double x);
double pdfOf(const NonCentralF& d, double x);
double pdfOf(const Rayleigh& d, double x);
double pdfOf(const Pareto& d, double x);
double quantileOf(const Rayleigh& d, double p);
double pdfOf(const Triangular& d, double x);
double cdfOf(const Triangular& d, double x, bool upper);
double quantileOf(const Triangular& d, double p);
double pdfOf(const Geometric& d, double k);
double pdfOf(const NegativeBinomial& d, double k);
double pdfOf(const Poisson& d, double k);

// The kinds whose cdf is an incomplete gamma function, through gammaP.
double cdfOf(const Poisson& d, double k, bool upper);
double cdfOf(const Gamma& d, double x, bool upper);
double cdfOf(const ChiSquared& d, double x, bool upper);
double cdfOf(const InverseGamma& d, double x, bool upper);
double cdfOf(const InverseChiSquared& d, double x, bool upper);

// Densities, tails and quantiles in logs or in other forms, where Boost's
// overflow, underflow or cancel at extreme parameters or far out (mends.cpp).
double pdfOf(const Gamma& d, double x);
double pdfOf(const ChiSquared& d, double x);
double pdfOf(const InverseGamma& d, double x);
double pdfOf(const InverseChiSquared& d, double x);
double pdfOf(const InverseGaussian& d, double x);
double pdfOf(const LogNormal& d, double x);
double pdfOf(const Weibull& d, double x);
double cdfOf(const Weibull& d, double x, bool upper);
double quantileOf(const Weibull& d, double p);
double quantileOf(const Pareto& d, double p);
double pdfOf(const StudentsT& d, double x);
double cdfOf(const StudentsT& d, double x, bool upper);
double pdfOf(const FisherF& d, double x);
double cdfOf(const FisherF& d, double x, bool upper);
double pdfOf(const Beta& d, double x);
double cdfOf(const Beta& d, double x, bool upper);
double pdfOf(const Binomial& d, double k);
double cdfOf(const Binomial& d, double k, bool upper);
double cdfOf(const NegativeBinomial& d, double k, bool upper);
double meanOf(const Triangular& d);
double standardDeviationOf(const Triangular& d);

// sum_j Poisson(j; mu) term(j) from j = 0 on, for a lower tail: at most
// mu + 40 sqrt(mu) + 100 terms, and only where mu is at most
// poissonSeriesMean (callers keep Boost's sum beyond). weighted(j, w) is the
// j-th weighted term, w the log of its weight.
inline constexpr double poissonSeriesMean = 1e4;
template <class Weighted>
double poissonSum(double mu, Weighted weighted) {
  if (mu == 0) return weighted(0, 0.0);
  const double logMu = std::log(mu), last = mu + 40 * std::sqrt(mu) + 100;
  double sum = 0, logWeight = -mu;
  for (int j = 0; j < last; ++j) {
    const double t = weighted(j, logWeight);
    sum += t;
    if (j > mu && t <= 1e-17 * sum) break;
    logWeight += logMu - std::log(j + 1.0);
  }
  return sum;
}

template <class Term>
double poissonSeries(double mu, Term term) {
  return poissonSum(mu, [&](int j, double logWeight) { return std::exp(logWeight) * term(j); });
}

// The same sum of terms given by their logs, which may lie beyond the doubles.
template <class LogTerm>
double poissonLogSeries(double mu, LogTerm logTerm) {
  return poissonSum(mu, [&](int j, double logWeight) { return std::exp(logWeight + logTerm(j)); });
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

// Moments that Boost computes with cancellation or overflow (kurtosis.cpp)
// or through a square that overflows or underflows (mends.cpp).
double meanOf(const Weibull& d);
double standardDeviationOf(const Weibull& d);
double standardDeviationOf(const NonCentralT& d);
double standardDeviationOf(const LogNormal& d);
double standardDeviationOf(const Rayleigh& d);
double standardDeviationOf(const Uniform& d);
double standardDeviationOf(const Pareto& d);

// TOMS 748 on the bracket [a, b] of f (values fa, fb of opposite signs)
// until done(a, b), in at most 200 evaluations; the midpoint of the last
// bracket. Throws SearchFailed where f gives NaN or the search stops short.
template <class F, class Done>
double solveBracket(F f, double a, double b, double fa, double fb, Done done) {
  auto checked = [&](double x) {
    const double y = f(x);
    if (std::isnan(y)) throw SearchFailed{NoConvergence};
    return y;
  };
  std::uintmax_t iterations = 200;
  const auto r = boost::math::tools::toms748_solve(checked, a, b, fa, fb, done, iterations);
  if (iterations >= 200 && !done(r.first, r.second)) throw SearchFailed{NoConvergence};
  return r.first + (r.second - r.first) / 2;
}

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
  return solveBracket(slope, a, b, fa, fb, boost::math::tools::eps_tolerance<double>(50));
}

// Gauss-Kronrod (61 points) on [a, b], adding |K - G| to error and the
// integral of |f| to absolute (Boost 1.74 leaves its error on the scale of
// [-1, 1], which its adaptive rule then compares with the scaled integral);
// halves kept until their error is below `within`, at most depth times.
template <class F>
double gaussKronrod(const F& f, double a, double b, int depth, double within, double& error, double& absolute) {
  double e = 0, l1 = 0;
  const double value = boost::math::quadrature::gauss_kronrod<double, 61>::integrate(f, a, b, 0, 0, &e, &l1);
  e *= (b - a) / 2;
  if (depth == 0 || e <= within) {
    error += e, absolute += l1;
    return value;
  }
  const double m = a + (b - a) / 2;
  return gaussKronrod(f, a, m, depth - 1, within / 2, error, absolute) +
         gaussKronrod(f, m, b, depth - 1, within / 2, error, absolute);
}

// The integral of f over [a, b], adaptive to 1e-14 of it in at most 2^10
// pieces; throws SearchFailed where its error estimate stays above 1e-10 of
// the integral of |f|.
template <class F>
double integral(F f, double a, double b) {
  double error = 0, absolute = 0;
  const double guess = std::fabs(gaussKronrod(f, a, b, 0, 0, error, absolute));
  error = absolute = 0;
  const double value = gaussKronrod(f, a, b, 10, 1e-14 * guess, error, absolute);
  if (!(error <= 1e-10 * absolute)) throw SearchFailed{NoConvergence};
  return value;
}

// The mean of g(J) for J Poisson of mean mu and g smooth: the sum up to
// poissonSeriesMean (over its own weights' sum, which drift from 1 by the
// rounding of their logs); beyond, the integral over a continuous J, which
// differs from the sum by about exp(-2 pi^2 mu), in s = (J - mu) / sqrt(mu)
// on [-40, 40] (its log weight without cancellation, constants dropped).
template <class G>
double poissonMean(double mu, G g) {
  if (mu <= poissonSeriesMean)
    return poissonSeries(mu, [&](int j) { return g(j); }) / poissonSeries(mu, [](int) { return 1.0; });
  const double root = std::sqrt(mu);
  auto weight = [&](double s) {
    const double e = s / root;
    return std::exp(-mu * (boost::math::log1pmx(e) + e * std::log1p(e)) - std::log1p(e) / 2 - 1 / (12 * mu * (1 + e)));
  };
  return integral([&](double s) { return weight(s) * g(mu + s * root); }, -40, 40) / integral(weight, -40, 40);
}

// The root of increasing f on the support (lo, hi), bracketed by steps from
// guess that grow sixteenfold from firstStep (by default the larger of
// |guess| and 1), each side's end approached by sixteenths of what is left
// (at most 600 steps, the range of a double), then found by TOMS 748
// (solveBracket) to 50 bits, to an absolute width of `within`, or to two
// neighbouring doubles (a root below the smallest subnormal). Throws
// SearchFailed where f does not change sign on the support or gives NaN, as
// not finite where the root lies beyond the largest double.
template <class F>
double bracketedRoot(F f, double guess, double lo, double hi, double within = 0, double firstStep = 0) {
  if (lo <= -DBL_MAX) lo = -INFINITY;  // Boost's support of the real line
  if (hi >= DBL_MAX) hi = INFINITY;
  double a = guess, b = guess, fa = f(guess), fb = fa;
  if (fa == 0) return guess;
  double step = firstStep > 0 ? firstStep : std::fmax(std::fabs(guess), 1.0);
  bool beyond = false;  // the root lies beyond the largest double
  for (int i = 0; i < 600 && (fa < 0) == (fb < 0); ++i, step *= 16) {
    if (fb < 0) {  // the root lies above
      a = b, fa = fb;
      b = b + step < hi ? b + step : hi - (hi - b) / 16;
      beyond = !std::isfinite(b);
      if (beyond || b == a) break;
      fb = f(b);
    } else {
      b = a, fb = fa;
      a = a - step > lo ? a - step : lo + (a - lo) / 16;
      beyond = !std::isfinite(a);
      if (beyond || a == b) break;
      fa = f(a);
    }
  }
  if (fa == 0) return a;
  if (fb == 0) return b;
  if (std::isnan(fa) || std::isnan(fb) || (fa < 0) == (fb < 0)) throw SearchFailed{beyond ? NotFinite : NoRoot};
  boost::math::tools::eps_tolerance<double> bits(50);
  return solveBracket(f, a, b, fa, fb, [&](double x, double y) {
    return bits(x, y) || std::fabs(x - y) <= within || std::nextafter(x, y) == y;  // no double between
  });
}

}  // namespace ZR::stats
