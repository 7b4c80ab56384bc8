// The moments of the kinds whose Boost kurtosis or standard deviation is
// wrong or cancels.
#include <boost/math/distributions/hypergeometric.hpp>
#include <boost/math/distributions/inverse_gaussian.hpp>
#include <boost/math/distributions/non_central_f.hpp>
#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/distributions/weibull.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <cmath>

#include "statistics/evaluate.h"
#include "statistics/mends.h"
#include "statistics/non_central_t.h"

namespace ZR::stats {

namespace {

// Central moments 2, 3 and 4 of g(y) about its mean mu, y of density w(y)
// on [lo, hi], from the deviation dev(y) = g(y) - mu computed without
// cancellation.
struct Central {
  double c2, c3, c4;
};
template <class Dev, class W>
Central centralMoments(Dev dev, W w, double lo, double hi) {
  auto moment = [&](int n) {
    return integral([&](double y) { return std::pow(dev(y), n) * w(y); }, lo, hi);
  };
  return {moment(2), moment(3), moment(4)};
}

// Above these the sums of gamma functions in Boost's moments lose digits.
constexpr double largeWeibullShape = 10, largeNonCentralTDf = 100;

// Below this Boost's moments of the Weibull overflow in the gamma function of
// 1 + 4 / k (from 0.0234 on for the kurtosis) while they are ordinary
// doubles: taken in logs here, over the largest of them.
constexpr double smallWeibullShape = 0.1;

// log Gamma(1 + i / k), i = 1 ... 4.
struct WeibullLogs {
  double l[5];
  explicit WeibullLogs(double k) {
    for (int i = 1; i <= 4; ++i) l[i] = boost::math::lgamma(1 + i / k);
  }
};

// Weibull: X / scale = exp(y / k), y the log of a standard exponential
// (log Gamma(1 + 1 / k) without rounding 1 + 1 / k).
Central weibullMoments(const Weibull& d) {
  const double k = d.shape(), logMu = std::log1p(boost::math::tgamma1pm1(1 / k)), mu = std::exp(logMu);
  return centralMoments([&](double y) { return mu * std::expm1(y / k - logMu); },
                        [](double y) { return std::exp(y - std::exp(y)); }, -60, 4);
}

// 1 / s of the non-central t's denominator, and its mean.
Central inverseChiMoments(double v, double& mu) {
  const ChiDensity chi(v);
  mu = std::sqrt(v / 2) * boost::math::tgamma_delta_ratio((v - 1) / 2, 0.5);
  const double logMu = std::log(mu), width = 40 * chi.peakWidth();
  return centralMoments([&](double w) { return mu * std::expm1(-w - logMu); },
                        [&](double w) { return std::exp(chi.log(w)); }, -width, width);
}

}  // namespace

double fullKurtosis(const Hypergeometric& d) {
  // Population N holding K successes, n drawn.
  const double N = d.total(), K = d.defective(), n = d.sample_count();
  const double excess =
      ((N - 1) * N * N * (N * (N + 1) - 6 * K * (N - K) - 6 * n * (N - n)) +
       6 * n * K * (N - K) * (N - n) * (5 * N - 6)) /
      (n * K * (N - K) * (N - n) * (N - 2) * (N - 3));
  return excess + 3;
}

double fullKurtosis(const InverseGaussian& d) { return 15 * d.mean() / d.scale() + 3; }

// Boost's excess kurtosis of the non-central F is the full one already.
double fullKurtosis(const NonCentralF& d) { return boost::math::kurtosis_excess(d); }

double fullKurtosis(const Weibull& d) {
  if (d.shape() < smallWeibullShape) {
    const WeibullLogs g(d.shape());
    const double r = std::exp(2 * g.l[1] - g.l[2]);  // far below 1 here
    return (std::exp(g.l[4] - 2 * g.l[2]) - 4 * std::exp(g.l[1] + g.l[3] - 2 * g.l[2]) + 6 * r - 3 * r * r) /
           ((1 - r) * (1 - r));
  }
  if (!(d.shape() > largeWeibullShape)) return boost::math::kurtosis(d);
  const Central c = weibullMoments(d);
  return c.c4 / (c.c2 * c.c2);
}

double meanOf(const Weibull& d) {
  if (!(d.shape() < smallWeibullShape)) return boost::math::mean(d);
  return std::exp(std::log(d.scale()) + WeibullLogs(d.shape()).l[1]);
}

double standardDeviationOf(const Weibull& d) {
  if (d.shape() < smallWeibullShape) {
    const WeibullLogs g(d.shape());
    return std::exp(std::log(d.scale()) + g.l[2] / 2) * std::sqrt(-std::expm1(2 * g.l[1] - g.l[2]));
  }
  if (!(d.shape() > largeWeibullShape)) return d.scale() * boost::math::standard_deviation(Weibull(d.shape(), 1));
  return d.scale() * std::sqrt(weibullMoments(d).c2);
}

// T = (Z + delta) W with W = 1 / s: T - mean = Z W + delta (W - mu), whose
// moments are those of Z (0, 1, 0, 3) and the central ones of W.
double standardDeviationOf(const NonCentralT& d) {
  const double v = d.degrees_of_freedom(), delta = d.non_centrality();
  if (!(v > largeNonCentralTDf) || std::isinf(v)) return boost::math::standard_deviation(d);
  double mu;
  const Central w = inverseChiMoments(v, mu);
  return std::sqrt(v / (v - 2) + delta * delta * w.c2);
}

// Boost's own expression, which is the full kurtosis, on Boost's mean, while
// the degrees of freedom are few; beyond, from the moments of W.
double fullKurtosis(const NonCentralT& d) {
  const double v = d.degrees_of_freedom(), delta = d.non_centrality();
  if (!(v > 4)) return boost::math::kurtosis(d);  // Boost's domain error
  if (std::isinf(v)) return 3;
  const double l2 = delta * delta;
  if (v > largeNonCentralTDf) {
    double mu;
    const Central w = inverseChiMoments(v, mu);
    const double variance = v / (v - 2) + l2 * w.c2;
    const double m4 = 3 * v / (v - 2) * v / (v - 4) + 6 * l2 * (w.c4 + 2 * mu * w.c3 + mu * mu * w.c2) +
                      l2 * l2 * w.c4;
    return m4 / (variance * variance);
  }
  const double m = boost::math::mean(d);
  const double variance = (l2 + 1) * v / (v - 2) - m * m;
  double k = -3 * variance + v * (l2 * (v + 1) + 3 * (3 * v - 5)) / ((v - 3) * (v - 2));
  k = -m * m * k + v * v * (l2 * l2 + 6 * l2 + 3) / ((v - 4) * (v - 2));
  return k / (variance * variance);
}

}  // namespace ZR::stats
