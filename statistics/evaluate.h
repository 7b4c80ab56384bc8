// The statistics of one kind, for the translation units that instantiate
// them (include the kind's Boost header first).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "statistics/operations.h"

namespace zr::stats {

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
// Gaussian: excess - 3; non-central t: excess + 6; hypergeometric: a wrong
// excess); kurtosis.cpp gives the full kurtosis.
double fullKurtosis(const Hypergeometric& d);
double fullKurtosis(const InverseGaussian& d);
double fullKurtosis(const NonCentralT& d);
template <class D>
double fullKurtosis(const D& d) {
  return boost::math::kurtosis(d);
}

// Boost rounds the quantile of these kinds to a whole number in steps of one
// from a real-valued root; from 2^53 on a step changes nothing and the loop
// never ends. True, with the root in root, when the quantile lies that far
// out: every double there is whole already (discrete.cpp).
bool quantileBeyondSteps(const Binomial& d, double p, double& root);
bool quantileBeyondSteps(const NegativeBinomial& d, double p, double& root);
bool quantileBeyondSteps(const Poisson& d, double p, double& root);
template <class D>
bool quantileBeyondSteps(const D&, double, double&) {
  return false;
}

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

// Quantiles beyond 2^53 are Boost's real-valued root, found without steps.
struct LongRounding {
  template <class D>
  static bool holds(const D& d, double p) {
    if (!(p > 0 && p < 1)) return false;  // Boost's own answer or error
    double spread = boost::math::standard_deviation(d);
    if constexpr (std::is_same_v<D, NegativeBinomial>)
      spread = std::max(spread, 1 / d.success_fraction());
    const double steps = (std::nextafter(p, 1.0) - p) / std::min(p, 1 - p) * spread;
    double root = 0;
    return steps > longSteps && !quantileBeyondSteps(d, p, root);
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

// Boost's powm1 recurses without end on a base that underflowed to 0 with an
// even exponent; scale / x == 0 means the Pareto cdf is 1.
template <class D>
double paretoCdf(const D& d, double x) {
  if (std::isfinite(x) && x > 0 && d.scale() / x == 0) return 1.0;
  return boost::math::cdf(d, x);
}

template <Statistic S, class D>
double boostStatistic(const D& d, double x) {
  namespace bm = boost::math;
  if constexpr (S == Mean) return bm::mean(d);
  else if constexpr (S == StdDev) return bm::standard_deviation(d);
  else if constexpr (S == Mode) return bm::mode(d);
  else if constexpr (S == Median && std::is_same_v<D, Binomial>) return bm::median(d);  // closed form
  else if constexpr (S == Median) return quantileBeyondSteps(d, 0.5, x) ? x : bm::median(d);
  else if constexpr (S == Kurtosis) return fullKurtosis(d);
  else if constexpr (S == Pdf) return bm::pdf(d, x);
  else if constexpr (S == Cdf && std::is_same_v<D, Pareto>) return paretoCdf(d, x);
  else if constexpr (S == Cdf) return bm::cdf(d, x);
  else if constexpr (S == Hazard) return bm::hazard(d, x);
  else if constexpr (S == CumHazard) return bm::chf(d, x);
  else {
    double root = 0;
    return quantileBeyondSteps(d, x, root) ? root : bm::quantile(d, x);
  }
}

// The holder's type has been matched before this runs.
template <Statistic S, class K>
double evaluate(const boost::any& holder, double x) {
  if constexpr (Refusal<S, K>::refused) {
    throw Refusal<S, K>::message;
  } else {
    const auto& d = *boost::unsafe_any_cast<typename K::type>(&holder);
    if (Limits<S, K>::exceeded(d, x)) throw tooLarge[S];
    return boostStatistic<S>(d, x);
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

}  // namespace zr::stats
