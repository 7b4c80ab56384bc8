// The non-central beta kind (its quantile and mode are heavy to build).
#include <boost/math/distributions/non_central_beta.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"

namespace zr::stats {

boost::any makeNonCentralBeta(double alpha, double beta, double lambda) { return NonCentralBeta(alpha, beta, lambda); }

template const Operations& operationsOf<NonCentralBeta>();

}  // namespace zr::stats
