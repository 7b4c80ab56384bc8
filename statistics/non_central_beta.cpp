// The non-central beta kind (its quantile and mode are heavy to build),
// and its lower tail where Boost's sum gives 0.
#include <boost/math/distributions/non_central_beta.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"
#include "statistics/mends.h"

namespace ZR::stats {

boost::any makeNonCentralBeta(double alpha, double beta, double lambda) { return NonCentralBeta(alpha, beta, lambda); }

double cdfOf(const NonCentralBeta& d, double x, bool upper) {
  namespace bm = boost::math;
  if (x == 0 || x == 1) return (x == 1) != upper ? 1 : 0;  // Boost's complement at 0 was 0
  const double boost = boostCdf(d, x, upper);
  const double mu = d.non_centrality() / 2;
  if (upper || boost >= 1e-3 || !(x > 0 && x < 1) || mu > poissonSeriesMean) return boost;
  return poissonSeries(mu, [&](int j) { return bm::ibeta(d.alpha() + j, d.beta(), x); });
}

double pdfOf(const NonCentralBeta& d, double x) {
  namespace bm = boost::math;
  const double mu = d.non_centrality() / 2;
  if ((x == 0 && d.alpha() < 1) || (x == 1 && d.beta() < 1)) return INFINITY;  // Boost gives 0
  if (!(x > 0 && x < 1) || mu > poissonSeriesMean) return bm::pdf(d, x);
  try {
    const double boost = bm::pdf(d, x);
    if (boost >= DBL_MIN) return boost;
    return poissonSeries(mu, [&](int j) { return bm::ibeta_derivative(d.alpha() + j, d.beta(), x); });
  } catch (const std::overflow_error&) {  // x^(alpha - 1) beyond the doubles, alpha below 1: in logs
    const double logX = std::log(x), logY = std::log1p(-x), b = d.beta();
    return poissonLogSeries(mu, [&](int j) {
      const double a = d.alpha() + j;
      return (a - 1) * logX + (b - 1) * logY - logBeta(a, b);
    });
  }
}

// The Poisson mixture of betas B(alpha + J, beta), J of mean lambda / 2:
// Boost's mean is exp(-lambda / 2) times a series of order exp(lambda / 2)
// (both overflow from lambda 1420 on), its variance the difference of two
// such, which cancels to nothing. Here the variance is the mean of the
// betas' variances plus that of their means' squared deviations, every term
// positive; the deviation of a mean 1 - beta / (alpha + beta + j) from theirs
// is taken as a difference of the small numbers beta / (alpha + beta + j).
double meanOf(const NonCentralBeta& d) {
  const double a = d.alpha(), b = d.beta();
  return poissonMean(d.non_centrality() / 2, [&](double j) { return (a + j) / (a + b + j); });
}

// On the scale s of alpha + beta + j, where the variance (about beta / s^2)
// would underflow.
double standardDeviationOf(const NonCentralBeta& d) {
  const double a = d.alpha(), b = d.beta(), mu = d.non_centrality() / 2, s = a + b + mu;
  const double rest = poissonMean(mu, [&](double j) { return b * s / (a + b + j); });
  return std::sqrt(poissonMean(mu, [&](double j) {
           const double c = a + b + j, deviation = rest - b * s / c;
           return (a + j) / c * (s / c) * (b * s / (c + 1)) + deviation * deviation;
         })) / s;
}

template const Operations& operationsOf<NonCentralBeta>();

}  // namespace ZR::stats
