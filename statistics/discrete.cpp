// The discrete kinds.
#include <boost/math/distributions/bernoulli.hpp>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/geometric.hpp>
#include <boost/math/distributions/hypergeometric.hpp>
#include <boost/math/distributions/negative_binomial.hpp>
#include <boost/math/distributions/poisson.hpp>

#include <cmath>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"

namespace ZR::stats {

// Boost takes any number of trials from 0 and a success fraction of 0, where
// the geometric and negative binomial kinds never reach their count.
boost::any makeBinomial(double n, double p) {
  if (std::isfinite(n) && n != std::floor(n)) throw "stat_distrBinomial - n must be a whole number";
  return Binomial(n, p);
}
boost::any makeBernoulli(double p) { return Bernoulli(p); }
boost::any makeGeometric(double p) {
  if (p == 0) throw "stat_distrGeometric - p must be positive";
  return Geometric(p);
}
boost::any makeNegativeBinomial(double r, double p) {
  if (p == 0) throw "stat_distrNegativeBinomial - p must be positive";
  return NegativeBinomial(r, p);
}
boost::any makePoisson(double mean) { return Poisson(mean); }

// Boost keeps the three counts unsigned: a negative one would wrap to a
// huge count and make a nonsense distribution.
boost::any makeHypergeometric(std::int32_t n, std::int32_t r, std::int32_t N) {
  if (n < 0 || r < 0 || N < 0)
    throw "stat_distrHyperGeometric - n, r and N must not be negative";
  return Hypergeometric(static_cast<unsigned>(r), static_cast<unsigned>(n),
                        static_cast<unsigned>(N));
}

namespace {

namespace bm = boost::math;
using RealQuantile = bm::policies::policy<bm::policies::discrete_quantile<bm::policies::real>>;

// Only a distribution that reaches 2^52 within 64 deviations of its mean is
// looked at twice.
template <class D, class R>
bool beyondSteps(const D& d, const R& withRealQuantile, double p, double& root) {
  constexpr double steps = 4503599627370496.0;  // 2^52
  if (!(bm::mean(d) + 64 * bm::standard_deviation(d) >= steps)) return false;
  root = bm::quantile(withRealQuantile, p);
  return std::fabs(root) >= 2 * steps;
}

}  // namespace

bool quantileBeyondSteps(const Binomial& d, double p, double& root) {
  return beyondSteps(d, bm::binomial_distribution<double, RealQuantile>(d.trials(), d.success_fraction()), p,
                     root);
}
bool quantileBeyondSteps(const NegativeBinomial& d, double p, double& root) {
  return beyondSteps(
      d, bm::negative_binomial_distribution<double, RealQuantile>(d.successes(), d.success_fraction()), p, root);
}
bool quantileBeyondSteps(const Poisson& d, double p, double& root) {
  return beyondSteps(d, bm::poisson_distribution<double, RealQuantile>(d.mean()), p, root);
}

template const Operations& operationsOf<Binomial>();
template const Operations& operationsOf<Bernoulli>();
template const Operations& operationsOf<Geometric>();
template const Operations& operationsOf<Hypergeometric>();
template const Operations& operationsOf<NegativeBinomial>();
template const Operations& operationsOf<Poisson>();

}  // namespace ZR::stats
