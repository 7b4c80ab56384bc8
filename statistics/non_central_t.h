// The non-central t as a mean over its chi denominator, for tails and moments
// without cancellation (non_central_t.cpp).
#pragma once

#include "statistics/kinds.h"

namespace ZR::stats {

// The density of w = log s, s^2 a chi-square with v degrees of freedom over
// v, in logs written so that nothing large cancels however large v is.
class ChiDensity {
 public:
  explicit ChiDensity(double v);
  double log(double w) const;
  double logSlope(double w) const;  // d log / dw
  double peakWidth() const;         // about its standard deviation
  double fallenBy(double drop) const;  // the w > 0 where log is drop below its peak
 private:
  double v_, logNorm_;
};

enum class NonCentralTPart { Lower, Upper, Density };

// log of the cdf, of its complement or of the density at x.
double nonCentralTLog(const NonCentralT& d, double x, NonCentralTPart part);

}  // namespace ZR::stats
