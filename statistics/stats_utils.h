// The ten statistics of a stored distribution, dispatched on the holder's
// kind. A holder of no distribution kind (empty, or another family's
// object) gives the statistic's "unrecognised" message; refused statistics
// and the unrecognised kind throw plain message texts, Boost's own errors
// arrive as standard exceptions.
#pragma once

#include <boost/any.hpp>

namespace StatsUtils {

double mean(const boost::any& holder);
double stdev(const boost::any& holder);
double mode(const boost::any& holder);
double median(const boost::any& holder);
double kurtosis(const boost::any& holder);  // the full kurtosis, not the excess
double pdf(const boost::any& holder, double x);
double cdf(const boost::any& holder, double x);
double hazard(const boost::any& holder, double x);
double cumHazard(const boost::any& holder, double x);
double quantile(const boost::any& holder, double probability);

}  // namespace StatsUtils
