// Continuous kinds of the first half of the dispatch order.
#include <boost/math/distributions/beta.hpp>
#include <boost/math/distributions/cauchy.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/exponential.hpp>
#include <boost/math/distributions/extreme_value.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/gamma.hpp>
#include <boost/math/distributions/normal.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"

namespace ZR::stats {

boost::any makeNormal(double mean, double stdev) { return Normal(mean, stdev); }
boost::any makeBeta(double alpha, double beta) { return Beta(alpha, beta); }
boost::any makeCauchy(double location, double scale) { return Cauchy(location, scale); }
boost::any makeChiSquared(double k) { return ChiSquared(k); }
boost::any makeExponential(double lambda) { return Exponential(lambda); }
boost::any makeExtremeValue(double location, double scale) { return ExtremeValue(location, scale); }
boost::any makeFisherF(double d1, double d2) { return FisherF(d1, d2); }
boost::any makeGamma(double shape, double scale) { return Gamma(shape, scale); }

template const Operations& operationsOf<Normal>();
template const Operations& operationsOf<Beta>();
template const Operations& operationsOf<Cauchy>();
template const Operations& operationsOf<ChiSquared>();
template const Operations& operationsOf<Exponential>();
template const Operations& operationsOf<ExtremeValue>();
template const Operations& operationsOf<FisherF>();
template const Operations& operationsOf<Gamma>();

}  // namespace ZR::stats
