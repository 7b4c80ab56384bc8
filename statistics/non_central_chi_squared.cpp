// The non-central chi-squared kind (its quantile and mode are heavy to build).
#include <boost/math/distributions/non_central_chi_squared.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"

namespace zr::stats {

boost::any makeNonCentralChiSquared(double df, double lambda) { return NonCentralChiSquared(df, lambda); }

template const Operations& operationsOf<NonCentralChiSquared>();

}  // namespace zr::stats
