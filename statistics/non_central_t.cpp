// The non-central t kind (its quantile and mode are heavy to build).
#include <boost/math/distributions/non_central_t.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"

namespace zr::stats {

boost::any makeNonCentralT(double v, double lambda) { return NonCentralT(v, lambda); }

template const Operations& operationsOf<NonCentralT>();

}  // namespace zr::stats
