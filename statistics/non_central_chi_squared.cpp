// The non-central chi-squared kind (its quantile and mode are heavy to build),
// and its lower tail where Boost's sum gives 0.
#include <boost/math/distributions/non_central_chi_squared.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"
#include "statistics/mends.h"

namespace ZR::stats {

boost::any makeNonCentralChiSquared(double df, double lambda) { return NonCentralChiSquared(df, lambda); }

double cdfOf(const NonCentralChiSquared& d, double x, bool upper) {
  namespace bm = boost::math;
  if (x == 0) return upper ? 1 : 0;  // Boost's complement there was 0
  const double mu = d.non_centrality() / 2;
  double boost;
  try {
    boost = boostCdf(d, x, upper);
  } catch (const std::overflow_error&) {  // its gamma function at many degrees of freedom, near 0
    if (upper || !(x > 0) || mu > poissonSeriesMean) throw;
    boost = 0;
  }
  if (upper || boost >= 1e-3 || !(x > 0) || !std::isfinite(x) || mu > poissonSeriesMean) return boost;
  return poissonSeries(mu, [&](int j) { return gammaP(d.degrees_of_freedom() / 2 + j, x / 2, false); });
}

double pdfOf(const NonCentralChiSquared& d, double x) {
  namespace bm = boost::math;
  const double mu = d.non_centrality() / 2;
  if (x == 0 && d.degrees_of_freedom() < 2) return INFINITY;  // Boost gives 0
  if (!(x > 0) || !std::isfinite(x) || mu > poissonSeriesMean)
    return bm::pdf(d, x);
  const double boost = bm::pdf(d, x);
  if (boost >= DBL_MIN) return boost;
  return poissonSeries(mu, [&](int j) {
    return bm::gamma_p_derivative(d.degrees_of_freedom() / 2 + j, x / 2) / 2;
  });
}

template const Operations& operationsOf<NonCentralChiSquared>();

}  // namespace ZR::stats
