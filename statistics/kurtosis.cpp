// The full kurtosis of the kinds whose Boost kurtosis is wrong.
#include <boost/math/distributions/hypergeometric.hpp>
#include <boost/math/distributions/inverse_gaussian.hpp>
#include <boost/math/distributions/non_central_t.hpp>
#include <cmath>

#include "statistics/evaluate.h"

namespace zr::stats {

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

// Boost's own expression, which is the full kurtosis, on Boost's mean.
double fullKurtosis(const NonCentralT& d) {
  const double v = d.degrees_of_freedom(), delta = d.non_centrality();
  if (!(v > 4)) return boost::math::kurtosis(d);  // Boost's domain error
  if (std::isinf(v)) return 3;
  const double m = boost::math::mean(d), l2 = delta * delta;
  const double variance = (l2 + 1) * v / (v - 2) - m * m;
  double k = -3 * variance + v * (l2 * (v + 1) + 3 * (3 * v - 5)) / ((v - 3) * (v - 2));
  k = -m * m * k + v * v * (l2 * l2 + 6 * l2 + 3) / ((v - 4) * (v - 2));
  return k / (variance * variance);
}

}  // namespace zr::stats
