// Continuous kinds of the second half of the dispatch order, the
// non-central ones apart.
#include <boost/math/distributions/inverse_chi_squared.hpp>
#include <boost/math/distributions/inverse_gamma.hpp>
#include <boost/math/distributions/inverse_gaussian.hpp>
#include <boost/math/distributions/laplace.hpp>
#include <boost/math/distributions/logistic.hpp>
#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/distributions/pareto.hpp>
#include <boost/math/distributions/rayleigh.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/distributions/triangular.hpp>
#include <boost/math/distributions/uniform.hpp>
#include <boost/math/distributions/weibull.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"

namespace ZR::stats {

boost::any makeInverseChiSquared(double df, double scale) { return InverseChiSquared(df, scale); }
// Boost takes a shape of 0, where no moment and no quantile exists.
boost::any makeInverseGamma(double alpha, double beta) {
  if (alpha == 0) throw "stat_distrInverseGamma - alpha must be positive";
  return InverseGamma(alpha, beta);
}
boost::any makeInverseGaussian(double mean, double shape) { return InverseGaussian(mean, shape); }
boost::any makeLaplace(double location, double scale) { return Laplace(location, scale); }
boost::any makeLogistic(double location, double scale) { return Logistic(location, scale); }
boost::any makeLogNormal(double location, double scale) { return LogNormal(location, scale); }
boost::any makePareto(double alpha, double beta) { return Pareto(beta, alpha); }
boost::any makeRayleigh(double sigma) { return Rayleigh(sigma); }
boost::any makeStudentsT(double df) { return StudentsT(df); }
boost::any makeTriangular(double lower, double mode, double upper) {
  return Triangular(lower, mode, upper);
}
boost::any makeUniform(double lower, double upper) { return Uniform(lower, upper); }
boost::any makeWeibull(double shape, double scale) { return Weibull(shape, scale); }

template const Operations& operationsOf<InverseChiSquared>();
template const Operations& operationsOf<InverseGamma>();
template const Operations& operationsOf<InverseGaussian>();
template const Operations& operationsOf<Laplace>();
template const Operations& operationsOf<Logistic>();
template const Operations& operationsOf<LogNormal>();
template const Operations& operationsOf<Pareto>();
template const Operations& operationsOf<Rayleigh>();
template const Operations& operationsOf<StudentsT>();
template const Operations& operationsOf<Triangular>();
template const Operations& operationsOf<Uniform>();
template const Operations& operationsOf<Weibull>();

}  // namespace ZR::stats
