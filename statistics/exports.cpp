// Statistics worksheet functions: the thirty distribution constructors and
// the ten statistics of a stored distribution.
#include <cstdint>
#include <string>

#include "addin/categories.h"
#include "platform/export.h"
#include "pool/frame.h"
#include "statistics/distributions.h"
#include "statistics/stats_utils.h"

using namespace xll;
using namespace ZR::stats;

// The holder stored under a handle, not a copy; an unknown handle gets an
// empty holder. The statistics test its kind.
boost::any& lookupDistribution(const std::string& handle) {
  return handleFactory::instance().get(handle);
}

namespace {

// Stores the distribution that make() builds for the calling cell.
template <class Make>
LPXLOPER store(OPER& result, Make make) {
  return framed(result, [&] { result = handleFactory::instance().insert(make()); });
}

// One statistic of the distribution behind a handle.
template <class Statistic>
LPXLOPER query(OPER& result, const char* handle, Statistic statistic) {
  return framed(result, [&] { result = statistic(lookupDistribution(handle)); });
}

ArgRow number(const char* name, const char* help) { return {"B", name, help}; }

}  // namespace

const CategoryTable& ZR::StatisticsCategory() {
  static const ArgRow trigger{"P", "trigger", triggerHelp};
  static const ArgRow location = number("location", "is the location parameter.");
  static const ArgRow scale = number("scale", "is the scale parameter.");
  static const ArgRow location2 = number("location", "location parameter");
  static const ArgRow scale2 = number("scale", "scale parameter");
  static const ArgRow obj{"F#", "obj", "statistical object instance."};
  static const ArgRow x = number("x", "x");
  static const CategoryTable table{
      "ZR_Statistics",
      "The ZR Statistics library provides useful statistics functions.",
      "The library uses statistics library of boost at the back end.",
      CategoryTable::DocumentationFirst,
      {
          {"stat_distrNormal", "R#",
           {number("mean", "is the mean."), number("stdev", "is the standard deviation."), trigger},
           "create a Normal distribution object."},
          {"stat_distrBinomial", "R#",
           {number("n", "number of trials."), number("p", "probability of success."), trigger},
           "creates a binomial distribution object."},
          {"stat_distrBeta", "R#",
           {number("alpha", "is alpha."), number("beta", "is beta."), trigger},
           "creates a beta distribution object."},
          {"stat_distrBernoulli", "R#", {number("p", "is probability."), trigger},
           "creates a Bernoulli distribution object."},
          {"stat_distrCauchy", "R#", {location, scale, trigger},
           "creates Cauchy Lorentz distribution object."},
          {"stat_distrChiSquare", "R#", {number("k", "is the degree of freedom."), trigger},
           "creates Chi Square distribution object."},
          {"stat_distrExponential", "R#", {number("lambda ", "is lambda ."), trigger},
           "creates exponential distribution object."},
          {"stat_distrExtremeValue", "R#", {location, scale, trigger},
           "creates Extreme Value distribution object."},
          {"stat_distrF", "R#",
           {number("d1", "is the d1 parameter."), number("d2", "is the d2 parameter."), trigger},
           "creates F distribution object."},
          {"stat_distrGamma", "R#",
           {number("shape", "is the shape parameter."), scale, trigger},
           "creates Gamma distribution object."},
          {"stat_distrGeometric", "R#", {number("p", "is the probability."), trigger},
           "creates Geometric distribution object."},
          {"stat_distrHyperGeometric", "R#",
           {{"J", "n", "sample size."},
            {"J", "r", "success events in the original set."},
            {"J", "N", "original set size."},
            trigger},
           "creates Hyper geometric distribution."},
          {"stat_distrInverseChiSquare", "R#",
           {number("df", "degrees of freedom"), number("scale", "scale"), trigger},
           "creates Inverse chi square distribution."},
          {"stat_distrInverseGamma", "R#",
           {number("alpha", "shape parameter - alpha"), number("beta", "scale parameter - beta"),
            trigger},
           "creates Inverse gamma distribution."},
          {"stat_distrInverseGaussian", "R#",
           {number("mean", "mean parameter"), number("shape", "shape parameter"), trigger},
           "creates Inverse normal/ inverse gaussian distribution object."},
          {"stat_distrLaplace", "R#", {location2, scale2, trigger},
           "creates Laplace distribution object."},
          {"stat_distrNegativeBinomial", "R#",
           {number("r", "number of successes"), number("p", "probability of success"), trigger},
           "creates Negative binomial distribution."},
          {"stat_distrLogistic", "R#", {location2, scale2, trigger},
           "creates Logistic distribution object."},
          {"stat_distrLogNormal", "R#",
           {location2, number("scale", "scale parameter equivalent to standard deviation"), trigger},
           "creates Lognormal distribution object."},
          {"stat_distrNonCentralBeta", "R#",
           {number("alpha", "alpha parameter."), number("beta", "beta parameter."),
            number("nonCentralityParam", "non centrality parameter."), trigger},
           "creates Non central beta distribution object."},
          {"stat_distrNonCentralChiSquared", "R#",
           {number("df", "degrees of freedom."),
            number("nonCentralityParam", "non centrality parameter."), trigger},
           "creates Non central chi squared distribution object."},
          {"stat_distrNonCentralF", "R#",
           {number("v1", "degrees of freedom of numerator."),
            number("v2", "degrees of freedom of denominator."),
            number("lambda", "non centrality parameter."), trigger},
           "creates Non central F distribution object."},
          {"stat_distrNonCentralT", "R#",
           {number("v", "degrees of freedom of numerator."),
            number("lambda", "non centrality parameter."), trigger},
           "creates Non central T distribution object."},
          {"stat_distrPareto", "R#",
           {number("alpha", "shape parameter."), number("beta", "scale parameter."), trigger},
           "creates Pareto distribution object."},
          {"stat_distrPoisson", "R#", {number("mean", "mean parameter."), trigger},
           "creates Poisson distribution object."},
          {"stat_distrRayleigh", "R#", {number("sigma", "sigma."), trigger},
           "creates Rayleigh distribution object."},
          {"stat_distrStudentsT", "R#", {number("i", "degrees of freedom."), trigger},
           "creates Students T distribution object."},
          {"stat_distrTriangular", "R#",
           {number("lower", "lower."), number("mode", "mode."), number("upper", "upper."), trigger},
           "creates Triangular distribution object."},
          {"stat_distrUniform", "R#",
           {number("lower", "lower."), number("upper", "upper."), trigger},
           "creates Uniform distribution object."},
          {"stat_distrWeibull", "R#",
           {number("shape", "shape parameter."), number("scale", "scale parameter."), trigger},
           "creates Weibull distribution object."},
          {"stat_mean", "R#", {obj}, "Returns the mean for the distribution object."},
          {"stat_stddev", "R#", {obj}, "Returns the standard deviation for the distribution object."},
          {"stat_mode", "R#", {obj}, "Returns the mode for the distribution object."},
          {"stat_median", "R#", {obj}, "Returns the median for the statistical distribution object."},
          {"stat_pdf", "R#", {obj, x},
           "Returns the probability density for the statistical distribution object."},
          {"stat_cdf", "R#", {obj, x},
           "Returns the cumulative distribution for the statistical distribution object."},
          {"stat_cumHazard", "R#", {obj, x},
           "Returns the cumulative hazard for the statistical distribution object."},
          {"stat_hazard", "R#", {obj, x},
           "Returns the hazard function value for the statistical distribution object."},
          {"stat_quantile", "R#", {obj, number("cdf", "cdf")},
           "Returns the quantile for the statistical distribution object."},
          {"stat_kurtosis", "R#", {obj},
           "Returns the kurtosis for the statistical distribution object."},
      },
      {},
  };
  return table;
}

// Constructors, in the table's order.

XLL_PROC(LPXLOPER, stat_distrNormal, "?stat_distrNormal",
         (double mean, double stdev, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeNormal(mean, stdev); });
}

XLL_PROC(LPXLOPER, stat_distrBinomial, "?stat_distrBinomial", (double n, double p, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeBinomial(n, p); });
}

XLL_PROC(LPXLOPER, stat_distrBeta, "?stat_distrBeta", (double alpha, double beta, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeBeta(alpha, beta); });
}

XLL_PROC(LPXLOPER, stat_distrBernoulli, "?stat_distrBernoulli", (double p, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeBernoulli(p); });
}

XLL_PROC(LPXLOPER, stat_distrCauchy, "?stat_distrCauchy",
         (double location, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeCauchy(location, scale); });
}

XLL_PROC(LPXLOPER, stat_distrChiSquare, "?stat_distrChiSquare", (double k, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeChiSquared(k); });
}

XLL_PROC(LPXLOPER, stat_distrExponential, "?stat_distrExponential", (double lambda, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeExponential(lambda); });
}

XLL_PROC(LPXLOPER, stat_distrExtremeValue, "?stat_distrExtremeValue",
         (double location, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeExtremeValue(location, scale); });
}

XLL_PROC(LPXLOPER, stat_distrF, "?stat_distrF", (double d1, double d2, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeFisherF(d1, d2); });
}

XLL_PROC(LPXLOPER, stat_distrGamma, "?stat_distrGamma", (double shape, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeGamma(shape, scale); });
}

XLL_PROC(LPXLOPER, stat_distrGeometric, "?stat_distrGeometric", (double p, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeGeometric(p); });
}

XLL_PROC(LPXLOPER, stat_distrHyperGeometric, "?stat_distrHyperGeometric",
         (std::int32_t n, std::int32_t r, std::int32_t N, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeHypergeometric(n, r, N); });
}

XLL_PROC(LPXLOPER, stat_distrInverseChiSquare, "?stat_distrInverseChiSquare",
         (double df, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeInverseChiSquared(df, scale); });
}

XLL_PROC(LPXLOPER, stat_distrInverseGamma, "?stat_distrInverseGamma",
         (double alpha, double beta, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeInverseGamma(alpha, beta); });
}

XLL_PROC(LPXLOPER, stat_distrInverseGaussian, "?stat_distrInverseGaussian",
         (double mean, double shape, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeInverseGaussian(mean, shape); });
}

XLL_PROC(LPXLOPER, stat_distrLaplace, "?stat_distrLaplace",
         (double location, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeLaplace(location, scale); });
}

XLL_PROC(LPXLOPER, stat_distrNegativeBinomial, "?stat_distrNegativeBinomial",
         (double r, double p, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeNegativeBinomial(r, p); });
}

XLL_PROC(LPXLOPER, stat_distrLogistic, "?stat_distrLogistic",
         (double location, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeLogistic(location, scale); });
}

XLL_PROC(LPXLOPER, stat_distrLogNormal, "?stat_distrLogNormal",
         (double location, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeLogNormal(location, scale); });
}

XLL_PROC(LPXLOPER, stat_distrNonCentralBeta, "?stat_distrNonCentralBeta",
         (double alpha, double beta, double lambda, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeNonCentralBeta(alpha, beta, lambda); });
}

XLL_PROC(LPXLOPER, stat_distrNonCentralChiSquared, "?stat_distrNonCentralChiSquared",
         (double df, double lambda, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeNonCentralChiSquared(df, lambda); });
}

XLL_PROC(LPXLOPER, stat_distrNonCentralF, "?stat_distrNonCentralF",
         (double v1, double v2, double lambda, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeNonCentralF(v1, v2, lambda); });
}

XLL_PROC(LPXLOPER, stat_distrNonCentralT, "?stat_distrNonCentralT",
         (double v, double lambda, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeNonCentralT(v, lambda); });
}

XLL_PROC(LPXLOPER, stat_distrPareto, "?stat_distrPareto", (double alpha, double beta, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makePareto(alpha, beta); });
}

XLL_PROC(LPXLOPER, stat_distrPoisson, "?stat_distrPoisson", (double mean, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makePoisson(mean); });
}

XLL_PROC(LPXLOPER, stat_distrRayleigh, "?stat_distrRayleigh", (double sigma, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeRayleigh(sigma); });
}

XLL_PROC(LPXLOPER, stat_distrStudentsT, "?stat_distrStudentsT", (double df, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeStudentsT(df); });
}

XLL_PROC(LPXLOPER, stat_distrTriangular, "?stat_distrTriangular",
         (double lower, double mode, double upper, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeTriangular(lower, mode, upper); });
}

XLL_PROC(LPXLOPER, stat_distrUniform, "?stat_distrUniform",
         (double lower, double upper, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeUniform(lower, upper); });
}

XLL_PROC(LPXLOPER, stat_distrWeibull, "?stat_distrWeibull",
         (double shape, double scale, LPXLOPER trigger)) {
  static OPER result;
  return store(result, [&] { return makeWeibull(shape, scale); });
}

// The statistics.

XLL_PROC(LPXLOPER, stat_mean, "?stat_mean", (char* obj)) {
  static OPER result;
  return query(result, obj, [](const boost::any& d) { return StatsUtils::mean(d); });
}

XLL_PROC(LPXLOPER, stat_stddev, "?stat_stddev", (char* obj)) {
  static OPER result;
  return query(result, obj, [](const boost::any& d) { return StatsUtils::stdev(d); });
}

XLL_PROC(LPXLOPER, stat_mode, "?stat_mode", (char* obj)) {
  static OPER result;
  return query(result, obj, [](const boost::any& d) { return StatsUtils::mode(d); });
}

XLL_PROC(LPXLOPER, stat_median, "?stat_median", (char* obj)) {
  static OPER result;
  return query(result, obj, [](const boost::any& d) { return StatsUtils::median(d); });
}

XLL_PROC(LPXLOPER, stat_pdf, "?stat_pdf", (char* obj, double x)) {
  static OPER result;
  return query(result, obj, [x](const boost::any& d) { return StatsUtils::pdf(d, x); });
}

XLL_PROC(LPXLOPER, stat_cdf, "?stat_cdf", (char* obj, double x)) {
  static OPER result;
  return query(result, obj, [x](const boost::any& d) { return StatsUtils::cdf(d, x); });
}

XLL_PROC(LPXLOPER, stat_cumHazard, "?stat_cumHazard", (char* obj, double x)) {
  static OPER result;
  return query(result, obj, [x](const boost::any& d) { return StatsUtils::cumHazard(d, x); });
}

XLL_PROC(LPXLOPER, stat_hazard, "?stat_hazard", (char* obj, double x)) {
  static OPER result;
  return query(result, obj, [x](const boost::any& d) { return StatsUtils::hazard(d, x); });
}

XLL_PROC(LPXLOPER, stat_quantile, "?stat_quantile", (char* obj, double cdf)) {
  static OPER result;
  return query(result, obj, [cdf](const boost::any& d) { return StatsUtils::quantile(d, cdf); });
}

XLL_PROC(LPXLOPER, stat_kurtosis, "?stat_kurtosis", (char* obj)) {
  static OPER result;
  return query(result, obj, [](const boost::any& d) { return StatsUtils::kurtosis(d); });
}
