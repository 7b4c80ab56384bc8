// The statistics of one kind, for the translation units that instantiate
// them (include the kind's Boost header first).
#pragma once

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
  if constexpr (Refusal<S, K>::refused)
    throw Refusal<S, K>::message;
  else
    return boostStatistic<S>(*boost::unsafe_any_cast<typename K::type>(&holder), x);
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
