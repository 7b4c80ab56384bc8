// The discrete kinds.
#include <boost/math/distributions/bernoulli.hpp>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/geometric.hpp>
#include <boost/math/distributions/hypergeometric.hpp>
#include <boost/math/distributions/negative_binomial.hpp>
#include <boost/math/distributions/poisson.hpp>

#include <cfloat>
#include <cmath>
#include <type_traits>

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

namespace bm = boost::math;

// Boost's pow(1 - p, k) loses the digits of a small p that 1 - p rounds away.
double pdfOf(const Geometric& d, double k) {
  const double p = d.success_fraction();
  if (!(k >= 0) || !std::isfinite(k) || p == 1) return bm::pdf(d, k);  // Boost's answer or error
  return p * std::exp(k * std::log1p(-p));
}

// p^r (1 - p)^k / (k B(r, k)) by betaPowers where r and k are both large.
// Boost's pdf (the beta function's derivative) underflows to 0 far out for a
// tiny p, where the count's probability is an ordinary double: then in logs,
// log Gamma(k + r) - log Gamma(k + 1) for k far above r as
// (k + 1/2) log1p((r - 1) / (k + 1)) + (r - 1)(log(k + r) - 1) (Stirling's,
// its next terms below r^2 / k^2).
double pdfOf(const NegativeBinomial& d, double k) {
  const double r = d.successes(), p = d.success_fraction();
  if (k > 0 && std::isfinite(k) && largeShapes(r, k) && p > 0 && p < 1)
    return betaPowers(r, k, betaExcess(p, r, k)) / k;
  const double boost = bm::pdf(d, k);
  if (boost != 0 || !(k > 1e6 * std::fmax(r, 1.0)) || !std::isfinite(k)) return boost;
  const double logRatio = (k + 0.5) * std::log1p((r - 1) / (k + 1)) + (r - 1) * (std::log(k + r) - 1);
  return std::exp(logRatio - bm::lgamma(r) + r * std::log(p) + k * std::log1p(-p));
}

// e^-mean mean^k / k!, the gamma density of shape k + 1 at the mean.
double pdfOf(const Poisson& d, double k) {
  const double mean = d.mean();
  if (!(k >= 1e8) || !std::isfinite(k) || !(mean > 0) || !std::isfinite(mean)) return bm::pdf(d, k);
  const long double shape = static_cast<long double>(k) + 1;
  return gammaPowers(shape, mean - shape);
}

// Boost's incomplete gamma function gives up for large means (gammaP).
double cdfOf(const Poisson& d, double k, bool upper) {
  if (!(k >= 0) || !std::isfinite(k)) return boostCdf(d, k, upper);
  return gammaP(k + 1, d.mean(), !upper);
}

namespace {

using RealQuantile = bm::policies::policy<bm::policies::discrete_quantile<bm::policies::real>>;

// A number near the quantile: Boost's real-valued root, or for the
// hypergeometric kind its whole count.
double guessOf(const Binomial& d, double p) {
  return bm::quantile(bm::binomial_distribution<double, RealQuantile>(d.trials(), d.success_fraction()), p);
}
double guessOf(const NegativeBinomial& d, double p) {
  return bm::quantile(bm::negative_binomial_distribution<double, RealQuantile>(d.successes(), d.success_fraction()),
                      p);
}
double guessOf(const Poisson& d, double p) {
  return bm::quantile(bm::poisson_distribution<double, RealQuantile>(d.mean()), p);
}
double guessOf(const Geometric& d, double p) { return bm::quantile(d, p); }  // real-valued already
double guessOf(const Hypergeometric& d, double p) { return bm::quantile(d, p); }
double guessOf(const Bernoulli&, double) { return 0; }

}  // namespace

// From the guess (the mean where Boost's fails) the count is bracketed by
// steps that double, then halved: about twice the logarithm of the guess's
// distance in cdfs. Compared on the complement above one half, where 1 - p
// is exact and the cdf rounds to 1 over many counts. Beyond 2^53 the doubles
// are whole and apart: the count is found to the nearest of them.
template <class D>
double discreteQuantile(const D& d, double p) {
  if (!(p > 0 && p < 1)) return bm::quantile(d, p);  // Boost's answer at the ends, or its error
  const auto support = bm::support(d);
  const double first = support.first, last = support.second, q = 1 - p;
  auto reached = [&](double k) { return p <= 0.5 ? cdfOf(d, k, false) >= p : cdfOf(d, k, true) <= q; };
  if (reached(first)) return first;
  double guess = bm::mean(d);
  try {
    const double g = guessOf(d, p);
    if (std::isfinite(g)) guess = g;
  } catch (const std::exception&) {
  }
  double k = std::fmin(std::fmax(std::floor(guess), first), last);
  double lo = first, hi = last, step = std::fmax(1.0, k * DBL_EPSILON);
  if (reached(k)) {
    for (hi = k; hi > first; step *= 2) {
      k = std::fmax(hi - step, first);
      if (k == first || !reached(k)) break;
      hi = k;
    }
    lo = k;
  } else {
    for (lo = k; lo < last; step *= 2) {
      k = std::fmin(lo + step, last);
      if (k == last || reached(k)) break;
      lo = k;
    }
    hi = k;
  }
  while (hi - lo > 1) {
    const double mid = lo + std::floor((hi - lo) / 2);
    if (!(mid > lo && mid < hi)) break;
    (reached(mid) ? hi : lo) = mid;
  }
  return hi;
}

// The binomial median is floor(n p) or the next count, so one cdf decides
// (Boost's median is floor(n p), often not the median). From 2^53 on n p is
// whole, and a whole n p is the median, which spares a cdf Boost would take
// minutes for.
template <class D>
double discreteMedian(const D& d) {
  if constexpr (std::is_same_v<D, Binomial>) {
    const double k = std::floor(d.trials() * d.success_fraction());
    if (k >= 0x1p53) return k;
    return k == d.trials() || cdfOf(d, k, false) >= 0.5 ? k : k + 1;
  } else {
    return discreteQuantile(d, 0.5);
  }
}

template const Operations& operationsOf<Binomial>();
template const Operations& operationsOf<Bernoulli>();
template const Operations& operationsOf<Geometric>();
template const Operations& operationsOf<Hypergeometric>();
template const Operations& operationsOf<NegativeBinomial>();
template const Operations& operationsOf<Poisson>();

}  // namespace ZR::stats
