#include "analytics/black_scholes_option.h"

#include <cmath>

#include <boost/math/distributions/normal.hpp>

namespace QA {

namespace {

const boost::math::normal_distribution<double> standardNormal(0.0, 1.0);

double N(double x) { return boost::math::cdf(standardNormal, x); }
double n(double x) { return boost::math::pdf(standardNormal, x); }

}  // namespace

BlackScholesOption::BlackScholesOption(double spot, double strike, double volatility,
                                       double rate, double dividendYield, double time,
                                       bool callFlag)
    : spot_(spot),
      rate_(rate),
      dividendYield_(dividendYield),
      volatility_(volatility),
      time_(time),
      strike_(strike),
      callFlag_(callFlag) {}

double BlackScholesOption::d1() const {
    return (std::log(spot_ / strike_) +
            (rate_ - dividendYield_ + volatility_ * volatility_ / 2.0) * time_) /
           (volatility_ * std::sqrt(time_));
}

// From its own formula rather than d1 - sigma*sqrt(T).
double BlackScholesOption::d2() const {
    return (std::log(spot_ / strike_) +
            (rate_ - dividendYield_ - volatility_ * volatility_ / 2.0) * time_) /
           (volatility_ * std::sqrt(time_));
}

// With q = 0 the dividend factor is exactly 1 and the q terms vanish, so every
// figure equals the plain Black-Scholes one bit for bit.

double BlackScholesOption::fairValue() const {
    const double fwdSpot = spot_ * std::exp(-dividendYield_ * time_);
    const double discK = strike_ * std::exp(-rate_ * time_);
    if (callFlag_)
        return fwdSpot * N(d1()) - discK * N(d2());
    return discK * N(-d2()) - fwdSpot * N(-d1());
}

double BlackScholesOption::delta() const {
    const double divFactor = std::exp(-dividendYield_ * time_);
    if (callFlag_)
        return divFactor * N(d1());
    return divFactor * (N(d1()) - 1.0);
}

double BlackScholesOption::gamma() const {
    const double divFactor = std::exp(-dividendYield_ * time_);
    return divFactor * n(d1()) / (spot_ * volatility_ * std::sqrt(time_));
}

double BlackScholesOption::vega() const {
    const double fwdSpot = spot_ * std::exp(-dividendYield_ * time_);
    return fwdSpot * n(d1()) * std::sqrt(time_);
}

double BlackScholesOption::theta() const {
    const double fwdSpot = spot_ * std::exp(-dividendYield_ * time_);
    const double rDiscK = rate_ * strike_ * std::exp(-rate_ * time_);
    const double d1v = d1();
    const double decay = -fwdSpot * n(d1v) * volatility_ / (2.0 * std::sqrt(time_));
    if (callFlag_)
        return decay - rDiscK * N(d2()) + dividendYield_ * fwdSpot * N(d1v);
    return decay + rDiscK * N(-d2()) - dividendYield_ * fwdSpot * N(-d1v);
}

double BlackScholesOption::rho() const {
    const double discKT = strike_ * time_ * std::exp(-rate_ * time_);
    if (callFlag_)
        return discKT * N(d2());
    return -discKT * N(-d2());
}

}  // namespace QA
