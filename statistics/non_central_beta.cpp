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
  const double boost = bm::pdf(d, x);
  if (boost >= DBL_MIN) return boost;
  return poissonSeries(mu, [&](int j) { return bm::ibeta_derivative(d.alpha() + j, d.beta(), x); });
}

template const Operations& operationsOf<NonCentralBeta>();

}  // namespace ZR::stats
