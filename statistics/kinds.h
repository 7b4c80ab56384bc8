// The thirty distribution kinds, in the order the statistics dispatch tests
// them, and the statistics each kind refuses.
#pragma once

#include <boost/math/distributions/fwd.hpp>
#include <boost/math/policies/policy.hpp>
#include <cstddef>
#include <tuple>

namespace zr::stats {

template <template <class, class> class D>
using Of = D<double, boost::math::policies::policy<>>;

using Normal = Of<boost::math::normal_distribution>;
using Binomial = Of<boost::math::binomial_distribution>;
using Bernoulli = Of<boost::math::bernoulli_distribution>;
using Beta = Of<boost::math::beta_distribution>;
using Cauchy = Of<boost::math::cauchy_distribution>;
using ChiSquared = Of<boost::math::chi_squared_distribution>;
using Exponential = Of<boost::math::exponential_distribution>;
using ExtremeValue = Of<boost::math::extreme_value_distribution>;
using FisherF = Of<boost::math::fisher_f_distribution>;
using Gamma = Of<boost::math::gamma_distribution>;
using Geometric = Of<boost::math::geometric_distribution>;
using Hypergeometric = Of<boost::math::hypergeometric_distribution>;
using InverseChiSquared = Of<boost::math::inverse_chi_squared_distribution>;
using InverseGamma = Of<boost::math::inverse_gamma_distribution>;
using InverseGaussian = Of<boost::math::inverse_gaussian_distribution>;
using Laplace = Of<boost::math::laplace_distribution>;
using Logistic = Of<boost::math::logistic_distribution>;
using LogNormal = Of<boost::math::lognormal_distribution>;
using NegativeBinomial = Of<boost::math::negative_binomial_distribution>;
using NonCentralBeta = Of<boost::math::non_central_beta_distribution>;
using NonCentralChiSquared = Of<boost::math::non_central_chi_squared_distribution>;
using NonCentralF = Of<boost::math::non_central_f_distribution>;
using NonCentralT = Of<boost::math::non_central_t_distribution>;
using Pareto = Of<boost::math::pareto_distribution>;
using Poisson = Of<boost::math::poisson_distribution>;
using Rayleigh = Of<boost::math::rayleigh_distribution>;
using StudentsT = Of<boost::math::students_t_distribution>;
using Triangular = Of<boost::math::triangular_distribution>;
using Uniform = Of<boost::math::uniform_distribution>;
using Weibull = Of<boost::math::weibull_distribution>;

// The ten statistics, each a column of a kind's row of operations.
enum Statistic { Mean, StdDev, Mode, Median, Kurtosis, Pdf, Cdf, Hazard, CumHazard, Quantile, statisticCount };

// A statistic refused for a kind, with its message. These are exactly the
// statistics Boost leaves undefined (a compile-time assertion) under the
// default policy.
template <Statistic S, const char* Message>
struct Refuse {};

template <class D, class... Refusals>
struct Kind {
  using type = D;
};

inline constexpr char cauchyMean[] = "StatsUtils::mean::Function mean undefined for cauchy distribution";
inline constexpr char cauchyStdDev[] =
    "StatsUtils::stdev::Function standard deviation undefined for cauchy distribution";
inline constexpr char cauchyKurtosis[] = "StatsUtils:: Function Kurtosis undefined for cauchy distribution";
inline constexpr char nonCentralBetaKurtosis[] =
    "DistributionUtils::Kurtosis isn't implemented yet for non central beta!!";

using Kinds = std::tuple<
    Kind<Normal>, Kind<Binomial>, Kind<Bernoulli>, Kind<Beta>,
    Kind<Cauchy, Refuse<Mean, cauchyMean>, Refuse<StdDev, cauchyStdDev>,
         Refuse<Kurtosis, cauchyKurtosis>>,
    Kind<ChiSquared>, Kind<Exponential>, Kind<ExtremeValue>, Kind<FisherF>, Kind<Gamma>,
    Kind<Geometric>, Kind<Hypergeometric>, Kind<InverseChiSquared>, Kind<InverseGamma>,
    Kind<InverseGaussian>, Kind<Laplace>, Kind<Logistic>, Kind<LogNormal>, Kind<NegativeBinomial>,
    Kind<NonCentralBeta, Refuse<Kurtosis, nonCentralBetaKurtosis>>, Kind<NonCentralChiSquared>,
    Kind<NonCentralF>, Kind<NonCentralT>, Kind<Pareto>, Kind<Poisson>, Kind<Rayleigh>,
    Kind<StudentsT>, Kind<Triangular>, Kind<Uniform>, Kind<Weibull>>;

constexpr std::size_t kindCount = std::tuple_size_v<Kinds>;
static_assert(kindCount == 30, "one kind per constructor");

// The message of statistic S refused by kind K, else null.
template <Statistic S, class R>
struct RefusalOf {
  static constexpr bool refused = false;
  static constexpr const char* message = nullptr;
};
template <Statistic S, const char* M>
struct RefusalOf<S, Refuse<S, M>> {
  static constexpr bool refused = true;
  static constexpr const char* message = M;
};
template <Statistic S, class K>
struct Refusal;
// Decided on flags, not on the messages' addresses, which are no constants
// under the sanitizers.
template <Statistic S, class D, class... Rs>
struct Refusal<S, Kind<D, Rs...>> {
  static constexpr bool refused = (false || ... || RefusalOf<S, Rs>::refused);
  static constexpr const char* message = [] {
    const char* m = nullptr;
    bool found = false;
    ((found = found || (RefusalOf<S, Rs>::refused && (m = RefusalOf<S, Rs>::message, true))), ...);
    return m;
  }();
};

}  // namespace zr::stats
