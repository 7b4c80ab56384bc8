// The thirty distribution kinds, in the order the statistics dispatch tests
// them, and the statistics each kind refuses: always, or for parameters too
// large for Boost to evaluate in reasonable time.
#pragma once

#include <boost/math/distributions/fwd.hpp>
#include <boost/math/policies/policy.hpp>
#include <cstddef>
#include <tuple>

namespace ZR::stats {

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

// A statistic refused for a kind, with its message, whatever the
// parameters. These are exactly the statistics Boost leaves undefined (a
// compile-time assertion) under the default policy.
template <Statistic S, const char* Message>
struct Refuse {};

template <class D, class... Refusals>
struct Kind {
  using type = D;
};

// Statistics Ss of a kind refused, with their message from tooLarge, where
// Limit holds for the distribution and the statistic's argument (the
// probability for the median and the quantile). The limits are tested in
// evaluate.h; their bounds keep every call under 0.1 s here (measured with
// tools/statistics/hang_probe.cpp), where Boost.Math 1.74 takes seconds or
// loops without end a little further out.
template <class Limit, Statistic... Ss>
struct TooLarge {};

// Boost's incomplete beta function, behind the cdf, hazard, cumulative
// hazard and quantile of the beta, F, binomial and negative binomial kinds
// (and of the non-central beta and F), sums a continued fraction whose
// length grows with its two shapes a and b: a cdf takes 0.03 s when both are
// 1e15, 0.4 s at 1e18, 2 s at 1e21, and never ends at 1e50 (its int counter
// overflows); a quantile evaluates it dozens of times.
inline constexpr double largeShape = 1e13;
// Both shapes above largeShape: for the binomial and the negative binomial
// at the argument, a count k (shapes k + 1 and n - k, or r and k + 1).
struct BothShapes;
// The same at the mean, near which a discrete quantile searches (it takes
// about twice the logarithm of its distance from the guess in cdfs).
struct BothShapesAtMean;
// Either shape above largeShape: the beta quantile's root finder also stalls
// for ever with one shape small (seen from 2e4 on) and the other huge (5e43).
struct EitherShape;

// The hypergeometric pdf, behind all its statistics but the moments, reduces
// its factorials' powers by repeated subtraction: 14 ns per member of the
// population, the quantile three times that.
inline constexpr double largePopulation = 1e6;
struct Population;

// The non-central kinds sum more terms per cdf the larger their
// non-centrality lambda: the quantile of the non-central beta and F takes
// 0.09 s at lambda 1e8 and 0.5 s at 3e9; the non-central t's (lambda is the
// square of its delta) 0.5 s at delta 1e4 and never ends at 3e4.
inline constexpr double largeNonCentrality = 1e6;
struct NonCentrality;

// Why a statistic is refused where it exists: parameters so large that
// Boost would compute for minutes or for ever; a value that is no finite
// number (or not one a double holds); a hazard or cumulative hazard where the
// pdf or the survival function underflows and the kind has no other form; a
// numeric search that stopped without converging, or found no root.
enum Failure { LargeParameters, NotFinite, TooFarOut, NoConvergence, NoRoot, failureCount };

// "StatsUtils::<statistic> - <why>", a text that lives as long as the program.
const char* failureMessage(Statistic s, Failure f);

// Thrown by the numeric searches, which know no statistic; evaluate.h turns
// it into the statistic's own message.
struct SearchFailed {
  Failure failure;
};

inline constexpr char cauchyMean[] = "StatsUtils::mean::Function mean undefined for cauchy distribution";
inline constexpr char cauchyStdDev[] =
    "StatsUtils::stdev::Function standard deviation undefined for cauchy distribution";
inline constexpr char cauchyKurtosis[] = "StatsUtils:: Function Kurtosis undefined for cauchy distribution";
inline constexpr char nonCentralBetaKurtosis[] =
    "DistributionUtils::Kurtosis isn't implemented yet for non central beta!!";

using IncompleteBeta = TooLarge<BothShapes, Cdf, Hazard, CumHazard>;

using Kinds = std::tuple<
    Kind<Normal>,
    Kind<Binomial, IncompleteBeta, TooLarge<BothShapesAtMean, Quantile>>,
    Kind<Bernoulli>, Kind<Beta, IncompleteBeta, TooLarge<EitherShape, Median, Quantile>>,
    Kind<Cauchy, Refuse<Mean, cauchyMean>, Refuse<StdDev, cauchyStdDev>,
         Refuse<Kurtosis, cauchyKurtosis>>,
    Kind<ChiSquared>, Kind<Exponential>, Kind<ExtremeValue>,
    Kind<FisherF, IncompleteBeta, TooLarge<EitherShape, Median, Quantile>>, Kind<Gamma>,
    Kind<Geometric>,
    Kind<Hypergeometric, TooLarge<Population, Pdf, Cdf, Hazard, CumHazard, Median, Quantile>>,
    Kind<InverseChiSquared>, Kind<InverseGamma>, Kind<InverseGaussian>, Kind<Laplace>,
    Kind<Logistic>, Kind<LogNormal>,
    Kind<NegativeBinomial, IncompleteBeta, TooLarge<BothShapesAtMean, Median, Quantile>>,
    Kind<NonCentralBeta, Refuse<Kurtosis, nonCentralBetaKurtosis>,
         TooLarge<BothShapes, Cdf, Hazard, CumHazard, Median, Quantile>,
         TooLarge<NonCentrality, Mode, Median, Quantile>>,
    Kind<NonCentralChiSquared, TooLarge<NonCentrality, Median, Quantile>>,
    Kind<NonCentralF, TooLarge<BothShapes, Cdf, Hazard, CumHazard, Median, Quantile>,
         TooLarge<NonCentrality, Mode, Median, Quantile>>,
    Kind<NonCentralT, TooLarge<NonCentrality, Mode, Median, Quantile>>, Kind<Pareto>,
    Kind<Poisson>, Kind<Rayleigh>, Kind<StudentsT>, Kind<Triangular>, Kind<Uniform>,
    Kind<Weibull>>;

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

}  // namespace ZR::stats
