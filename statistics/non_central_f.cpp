// The non-central f kind (its quantile and mode are heavy to build).
#include <boost/math/distributions/non_central_f.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"

namespace zr::stats {

boost::any makeNonCentralF(double v1, double v2, double lambda) { return NonCentralF(v1, v2, lambda); }

template const Operations& operationsOf<NonCentralF>();

}  // namespace zr::stats
