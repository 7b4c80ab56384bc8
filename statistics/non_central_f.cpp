// The non-central f kind (its quantile and mode are heavy to build),
// and its lower tail where Boost's sum gives 0.
#include <boost/math/distributions/non_central_f.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"
#include "statistics/mends.h"

namespace ZR::stats {

boost::any makeNonCentralF(double v1, double v2, double lambda) { return NonCentralF(v1, v2, lambda); }

// In y = v1 x / (v1 x + v2), a non-central beta of v1 / 2 and v2 / 2.
double cdfOf(const NonCentralF& d, double x, bool upper) {
  namespace bm = boost::math;
  if (x == 0) return upper ? 1 : 0;  // Boost's complement there was 0
  const double boost = boostCdf(d, x, upper);
  const double mu = d.non_centrality() / 2, v1 = d.degrees_of_freedom1(), v2 = d.degrees_of_freedom2();
  if (upper || boost >= 1e-3 || !(x > 0) || !std::isfinite(x) || mu > poissonSeriesMean) return boost;
  const double y = v1 * x / (v1 * x + v2);
  return poissonSeries(mu, [&](int j) { return bm::ibeta(v1 / 2 + j, v2 / 2, y); });
}

double pdfOf(const NonCentralF& d, double x) {
  namespace bm = boost::math;
  const double mu = d.non_centrality() / 2, v1 = d.degrees_of_freedom1(), v2 = d.degrees_of_freedom2();
  if (x == 0 && v1 < 2) return INFINITY;  // Boost gives 0
  if (!(x > 0) || !std::isfinite(x) || mu > poissonSeriesMean)
    return bm::pdf(d, x);
  const double boost = bm::pdf(d, x);
  if (boost >= DBL_MIN) return boost;
  const double y = v1 * x / (v1 * x + v2), dy = v1 * v2 / ((v1 * x + v2) * (v1 * x + v2));
  return dy * poissonSeries(mu, [&](int j) { return bm::ibeta_derivative(v1 / 2 + j, v2 / 2, y); });
}

template const Operations& operationsOf<NonCentralF>();

}  // namespace ZR::stats
