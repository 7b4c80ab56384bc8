// Builders of the thirty stored distributions, arguments in worksheet order.
// Boost's constructor checks the numbers and throws its domain error; the
// few it lets through outside a distribution's domain are refused here.
#pragma once

#include <boost/any.hpp>
#include <cstdint>

namespace ZR::stats {

boost::any makeNormal(double mean, double stdev);
boost::any makeBinomial(double n, double p);
boost::any makeBeta(double alpha, double beta);
boost::any makeBernoulli(double p);
boost::any makeCauchy(double location, double scale);
boost::any makeChiSquared(double k);
boost::any makeExponential(double lambda);
boost::any makeExtremeValue(double location, double scale);
boost::any makeFisherF(double d1, double d2);
boost::any makeGamma(double shape, double scale);
boost::any makeGeometric(double p);
// Sample size n, successes r, population N; negative numbers are refused.
boost::any makeHypergeometric(std::int32_t n, std::int32_t r, std::int32_t N);
boost::any makeInverseChiSquared(double df, double scale);
boost::any makeInverseGamma(double alpha, double beta);
boost::any makeInverseGaussian(double mean, double shape);
boost::any makeLaplace(double location, double scale);
boost::any makeNegativeBinomial(double r, double p);
boost::any makeLogistic(double location, double scale);
boost::any makeLogNormal(double location, double scale);
boost::any makeNonCentralBeta(double alpha, double beta, double lambda);
boost::any makeNonCentralChiSquared(double df, double lambda);
boost::any makeNonCentralF(double v1, double v2, double lambda);
boost::any makeNonCentralT(double v, double lambda);
// Shape alpha, scale beta.
boost::any makePareto(double alpha, double beta);
boost::any makePoisson(double mean);
boost::any makeRayleigh(double sigma);
boost::any makeStudentsT(double df);
boost::any makeTriangular(double lower, double mode, double upper);
boost::any makeUniform(double lower, double upper);
boost::any makeWeibull(double shape, double scale);

}  // namespace ZR::stats
