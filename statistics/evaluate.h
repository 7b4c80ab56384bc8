// The statistics of one kind, for the translation units that instantiate
// them (include the kind's Boost header first).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "statistics/mends.h"
#include "statistics/operations.h"

namespace ZR::stats {

template <class K>
struct Found {
  using type = K;
};

// The entry of Kinds whose distribution is D.
template <class D, class List>
struct KindFor;
template <class D, class K, class... Ks>
struct KindFor<D, std::tuple<K, Ks...>>
    : std::conditional_t<std::is_same_v<typename K::type, D>, Found<K>,
                         KindFor<D, std::tuple<Ks...>>> {};

// Boost's kurtosis of these kinds is not its excess plus 3 (inverse
// Gaussian: excess - 3; non-central t: excess + 6, and cancels at large
// degrees of freedom; non-central F: excess + 6; hypergeometric: a wrong
// excess; Weibull: cancels at large shapes); kurtosis.cpp gives the full
// kurtosis.
double fullKurtosis(const Hypergeometric& d);
double fullKurtosis(const InverseGaussian& d);
double fullKurtosis(const NonCentralF& d);
double fullKurtosis(const NonCentralT& d);
double fullKurtosis(const Weibull& d);
template <class D>
double fullKurtosis(const D& d) {
  return boost::math::kurtosis(d);
}

// The quantile of a discrete kind: the smallest count k with F(k) >= p,
// and the median so (discrete.cpp).
template <class D>
double discreteQuantile(const D& d, double p);
template <class D>
double discreteMedian(const D& d);

// The shapes Boost's incomplete beta function gets for the cdf at k.
template <class D>
std::pair<double, double> shapesAt(const D& d, double k) {
  if constexpr (std::is_same_v<D, Binomial>)
    return {k + 1, d.trials() - k};
  else if constexpr (std::is_same_v<D, NegativeBinomial>)
    return {d.successes(), k + 1};
  else if constexpr (std::is_same_v<D, FisherF> || std::is_same_v<D, NonCentralF>)
    return {d.degrees_of_freedom1() / 2, d.degrees_of_freedom2() / 2};
  else
    return {d.alpha(), d.beta()};
}

struct BothShapes {
  template <class D>
  static bool holds(const D& d, double x) {
    const auto [a, b] = shapesAt(d, x);
    return a > largeShape && b > largeShape;
  }
};

struct BothShapesAtMean {
  template <class D>
  static bool holds(const D& d, double) {
    return BothShapes::holds(d, boost::math::mean(d));
  }
};

struct EitherShape {
  template <class D>
  static bool holds(const D& d, double) {
    const auto [a, b] = shapesAt(d, 0);
    return a > largeShape || b > largeShape;
  }
};

struct Population {
  template <class D>
  static bool holds(const D& d, double) {
    return d.total() > largePopulation;
  }
};

struct NonCentrality {
  template <class D>
  static bool holds(const D& d, double) {
    const double lambda = d.non_centrality();
    if constexpr (std::is_same_v<D, NonCentralT>)
      return lambda * lambda > largeNonCentrality;
    else
      return lambda > largeNonCentrality;
  }
};

// Whether a TooLarge rule of kind K refuses statistic S here.
template <Statistic S, class R>
struct LimitOf {
  template <class D>
  static bool exceeded(const D&, double) {
    return false;
  }
};
template <Statistic S, class L, Statistic... Ss>
struct LimitOf<S, TooLarge<L, Ss...>> {
  template <class D>
  static bool exceeded(const D& d, double x) {
    if constexpr ((false || ... || (S == Ss)))
      return L::holds(d, x);
    else
      return false;
  }
};
template <Statistic S, class K>
struct Limits;
// In the kind's order: a rule may rely on the ones before it.
template <Statistic S, class D, class... Rs>
struct Limits<S, Kind<D, Rs...>> {
  static bool exceeded([[maybe_unused]] const D& d, [[maybe_unused]] double x) {
    return (false || ... || LimitOf<S, Rs>::exceeded(d, x));
  }
};

template <class D>
constexpr bool isDiscrete =
    std::is_same_v<D, Binomial> || std::is_same_v<D, Bernoulli> || std::is_same_v<D, Geometric> ||
    std::is_same_v<D, Hypergeometric> || std::is_same_v<D, NegativeBinomial> ||
    std::is_same_v<D, Poisson>;

// The cdf, or with upper its complement.
template <class D>
double cdfOf(const D& d, double x, bool upper) {
  return boostCdf(d, x, upper);
}

// Boost divides by 2 sd^2, which underflows for a tiny standard deviation.
template <class D>
double pdfOf(const D& d, double x) {
  if constexpr (std::is_same_v<D, Normal>) {
    if (std::isfinite(x)) {
      const double z = (x - d.mean()) / d.standard_deviation();
      return std::exp(-z * z / 2) / (d.standard_deviation() * rootTwoPi);
    }
  }
  return boost::math::pdf(d, x);
}

// A Pareto shape of 1 or less has no finite mean (Boost gives the largest
// double); Boost multiplies the hypergeometric's counts in 32 bits.
template <class D>
double meanOf(const D& d) {
  if constexpr (std::is_same_v<D, Pareto>) {
    if (!(d.shape() > 1)) throw "StatsUtils::mean - infinite for a Pareto shape of 1 or less";
  }
  if constexpr (std::is_same_v<D, Hypergeometric>) {
    return static_cast<double>(d.defective()) * d.sample_count() / d.total();
  }
  return boost::math::mean(d);
}

// Boost takes the root of the variance, which overflows or underflows where
// the spread itself is an ordinary double: here in forms without the square
// (where the moment exists; else Boost's error). A hypergeometric population
// of one has no spread (Boost's 0 / 0).
template <class D>
double standardDeviationOf(const D& d) {
  namespace bm = boost::math;
  if constexpr (std::is_same_v<D, Gamma>) {
    return std::sqrt(d.shape()) * d.scale();
  } else if constexpr (std::is_same_v<D, ChiSquared>) {
    return rootTwo * std::sqrt(d.degrees_of_freedom());
  } else if constexpr (std::is_same_v<D, Logistic>) {
    return d.scale() * (pi / 1.7320508075688772);
  } else if constexpr (std::is_same_v<D, Geometric>) {
    return std::sqrt(1 - d.success_fraction()) / d.success_fraction();
  } else if constexpr (std::is_same_v<D, NegativeBinomial>) {
    return std::sqrt(d.successes() * (1 - d.success_fraction())) / d.success_fraction();
  } else if constexpr (std::is_same_v<D, InverseGaussian>) {
    return d.mean() * std::sqrt(d.mean()) / std::sqrt(d.scale());
  } else if constexpr (std::is_same_v<D, InverseGamma>) {
    const double a = d.shape();
    return a > 2 ? d.scale() / ((a - 1) * std::sqrt(a - 2)) : bm::standard_deviation(d);
  } else if constexpr (std::is_same_v<D, InverseChiSquared>) {
    const double v = d.degrees_of_freedom();
    return v > 4 ? d.scale() * (v / (v - 2)) * std::sqrt(2 / (v - 4)) : bm::standard_deviation(d);
  } else if constexpr (std::is_same_v<D, FisherF>) {
    const double d1 = d.degrees_of_freedom1(), d2 = d.degrees_of_freedom2();
    return d2 > 4 ? d2 / (d2 - 2) * std::sqrt(2 * ((d2 - 2) / d1 + 1) / (d2 - 4)) : bm::standard_deviation(d);
  } else if constexpr (std::is_same_v<D, Hypergeometric>) {
    return d.total() == 1 ? 0 : bm::standard_deviation(d);
  } else {
    return bm::standard_deviation(d);
  }
}

inline constexpr char noMaximum[] = "StatsUtils::mode - the density has no maximum inside the support";

// Boost's mode of the F distribution is negative for d1 < 2 and refused for
// d2 <= 2 (where it is fine); of the negative binomial negative for r < 1;
// of the inverse Gaussian a difference that cancels;
// of the Weibull 0 for shapes below 1 and of the non-central beta an end of
// its support, where the density grows without bound.
template <class D>
double modeOf(const D& d) {
  namespace bm = boost::math;
  if constexpr (std::is_same_v<D, FisherF>) {
    const double d1 = d.degrees_of_freedom1(), d2 = d.degrees_of_freedom2();
    if (d1 < 2) throw noMaximum;
    return d2 * (d1 - 2) / (d1 * (d2 + 2));
  } else if constexpr (std::is_same_v<D, NegativeBinomial>) {
    return d.successes() <= 1 ? 0 : bm::mode(d);
  } else if constexpr (std::is_same_v<D, Weibull>) {
    if (d.shape() < 1) throw noMaximum;
    return bm::mode(d);
  } else if constexpr (std::is_same_v<D, InverseGaussian>) {
    // mu (sqrt(1 + a^2) - a), a = 3 mu / (2 lambda), which cancels for large a;
    // lambda / 3 where a overflows
    const double a = 1.5 * (d.mean() / d.scale());
    return std::isinf(a) ? d.scale() / 3 : d.mean() / (a + std::hypot(1.0, a));
  } else if constexpr (std::is_same_v<D, NonCentralBeta> || std::is_same_v<D, NonCentralChiSquared> ||
                       std::is_same_v<D, NonCentralF> || std::is_same_v<D, NonCentralT>) {
    const double mode = bm::mode(d);
    if constexpr (std::is_same_v<D, NonCentralBeta>) {
      if ((mode <= 0 && d.alpha() < 1) || (mode >= 1 && d.beta() < 1)) throw noMaximum;
    }
    double width = std::fabs(mode) * 1e-2;
    try {
      width = bm::standard_deviation(d);
    } catch (const std::exception&) {
    }
    return refinedMode([&](double x) { return pdfOf(d, x); }, mode, width);
  } else {
    return bm::mode(d);
  }
}

// pdf / sf, and -log sf (-log1p(-cdf) where the cdf is small): Boost's
// hazard is 0 where both underflow, and its -log(sf) loses every digit where
// the cdf is below 1e-16. Far in the upper tail the kind's closed form, else
// a refusal.
template <Statistic S, class D>
double tailStatistic(const D& d, double x) {
  namespace bm = boost::math;
  if constexpr (S == CumHazard) {
    const double c = cdfOf(d, x, false);
    if (c < 0.5) return -std::log1p(-c);
  }
  // At and beyond a finite end no survival is left: both are infinite.
  const double end = bm::support(d).second;
  if (end < DBL_MAX && !(x < end)) throw failureMessage(S, NotFinite);
  const double s = cdfOf(d, x, true);
  if constexpr (S == Hazard) {
    const double f = pdfOf(d, x);
    if (s > 0.5 || (s >= DBL_MIN && f >= DBL_MIN)) return f / s;
  } else if (s >= DBL_MIN) {
    return -std::log(s);
  }
  double hazard, cumHazard;
  if (!upperTail(d, x, hazard, cumHazard)) throw failureMessage(S, TooFarOut);
  return S == Hazard ? hazard : cumHazard;
}

// Where Boost's root finding fails (or, for the inverse Gaussian, runs away,
// and for the non-central t rests on a cdf that cancels and is slow), the
// root of the cdf (its complement above one half) bracketed from a guess,
// by steps from firstStep (bracketedRoot), by default the spread.
template <class D>
double bracketedQuantile(const D& d, double p, double guess, double firstStep = 0) {
  if (!(p > 0 && p < 1)) return boost::math::quantile(d, p);  // Boost's answer or error
  if (!(firstStep > 0)) {  // the spread, where there is one: the support's scale may be far from 1
    if constexpr (std::is_same_v<D, Cauchy>) {
      firstStep = d.scale();
    } else {
      try {
        firstStep = standardDeviationOf(d);
      } catch (const std::exception&) {  // no spread
      } catch (const SearchFailed&) {
      }
    }
    if (!(firstStep > 0 && std::isfinite(firstStep))) firstStep = 0;
  }
  const bool upper = p > 0.5;
  const double q = upper ? 1 - p : p;
  const auto support = boost::math::support(d);
  return bracketedRoot(
      [&](double x) { return upper ? q - cdfOf(d, x, true) : cdfOf(d, x, false) - q; },
      guess, support.first, support.second, 0, firstStep);
}

template <class D>
constexpr bool isPoissonMixture = std::is_same_v<D, NonCentralBeta> || std::is_same_v<D, NonCentralChiSquared> ||
                                  std::is_same_v<D, NonCentralF>;

// The Poisson mixtures' quantiles from Boost's root are polished on the cdf
// here (Boost's is 0 in the far lower tail, where any x was its root, and its
// root stops short in the far upper tail).
template <class D>
double quantileOf(const D& d, double p) {
  namespace bm = boost::math;
  if constexpr (isDiscrete<D>) {
    return discreteQuantile(d, p);
  } else if constexpr (std::is_same_v<D, InverseGaussian>) {
    return bracketedQuantile(d, p, d.mean());
  } else if constexpr (isPoissonMixture<D>) {
    if (!(p > 0 && p < 1)) return bm::quantile(d, p);  // Boost's answer or error
    double guess;
    try {
      guess = bm::quantile(d, p);
    } catch (const std::exception&) {
      guess = meanOf(d);
    }
    if (!std::isfinite(guess)) guess = meanOf(d);
    return bracketedQuantile(d, p, guess, std::fmax(1e-6 * std::fabs(guess), DBL_MIN));
  } else {
    try {
      const double root = bm::quantile(d, p);
      if constexpr (std::is_same_v<D, Beta> || std::is_same_v<D, FisherF>) {
        // Boost's root of its own cdf, polished on the cdf of large shapes (ibetaLarge)
        bool large;
        if constexpr (std::is_same_v<D, Beta>) large = largeShapes(d.alpha(), d.beta());
        else large = largeShapes(d.degrees_of_freedom1() / 2, d.degrees_of_freedom2() / 2);
        if (large && p > 0 && p < 1 && std::isfinite(root))
          return bracketedQuantile(d, p, root, std::fmax(1e-3 * standardDeviationOf(d), DBL_MIN));
        // Boost's root finder can stop at the lower end far in the lower tail
        if (root == 0 && p > 0 && p < 1) return bracketedQuantile(d, p, meanOf(d));
      }
      return root;
    } catch (const bm::evaluation_error&) {
      double guess = 1;
      if constexpr (std::is_same_v<D, Cauchy>) {
        guess = d.location();
      } else {
        try {
          guess = bm::mean(d);
        } catch (const std::exception&) {
        }
      }
      return bracketedQuantile(d, p, guess);
    }
  }
}

template <Statistic S, class D>
double boostStatistic(const D& d, double x) {
  namespace bm = boost::math;
  if constexpr (S == Mean) return meanOf(d);
  else if constexpr (S == StdDev) return standardDeviationOf(d);
  else if constexpr (S == Mode) return modeOf(d);
  else if constexpr (S == Median && isDiscrete<D>) return discreteMedian(d);
  else if constexpr (S == Median) return quantileOf(d, 0.5);  // with its fallbacks where Boost fails
  else if constexpr (S == Kurtosis) return fullKurtosis(d);
  else if constexpr (S == Pdf) return pdfOf(d, x);
  else if constexpr (S == Cdf) return cdfOf(d, x, false);
  else if constexpr (S == Hazard || S == CumHazard) return tailStatistic<S>(d, x);
  else return quantileOf(d, x);
}

// The holder's type has been matched before this runs.
template <Statistic S, class K>
double evaluate(const boost::any& holder, double x) {
  if constexpr (Refusal<S, K>::refused) {
    throw Refusal<S, K>::message;
  } else {
    const auto& d = *boost::unsafe_any_cast<typename K::type>(&holder);
    if (Limits<S, K>::exceeded(d, x)) throw failureMessage(S, LargeParameters);
    double value;
    try {
      value = boostStatistic<S>(d, x);
    } catch (const SearchFailed& failed) {
      throw failureMessage(S, failed.failure);
    }
    if (!std::isfinite(value)) throw failureMessage(S, NotFinite);
    return value;
  }
}

template <class K, std::size_t... S>
Operations rowOf(std::index_sequence<S...>) {
  return {&typeid(typename K::type), {&evaluate<static_cast<Statistic>(S), K>...}};
}

template <class D>
const Operations& operationsOf() {
  static const Operations row =
      rowOf<typename KindFor<D, Kinds>::type>(std::make_index_sequence<statisticCount>());
  return row;
}

}  // namespace ZR::stats
