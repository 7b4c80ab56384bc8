#include "analytics/black_scholes_option.h"

#include <cmath>
#include <exception>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

using QA::BlackScholesOption;

struct Reference {
    double spot, strike, vol, rate, div, time;
    int call;
    double npv, delta, gamma, vega, theta, rho;
};

// QuantLib's theta is per year, its vega and rho per unit, as the option's.
const Reference kQuantLib[] = {
#include "tests/analytics/bs_quantlib_reference.inc"
};

TEST(BlackScholesOption, MatchesQuantLib) {
    for (const Reference& r : kQuantLib) {
        const BlackScholesOption opt(r.spot, r.strike, r.vol, r.rate, r.div, r.time, r.call != 0);
        const struct { const char* name; double actual, expected; } figures[] = {
            {"fair value", opt.fairValue(), r.npv}, {"delta", opt.delta(), r.delta},
            {"gamma", opt.gamma(), r.gamma},        {"vega", opt.vega(), r.vega},
            {"theta", opt.theta(), r.theta},        {"rho", opt.rho(), r.rho}};
        // QuantLib's normal distribution loses relative accuracy in the lower
        // tail (by up to 3e-6 on the first row), hence the absolute floor.
        for (const auto& f : figures)
            EXPECT_NEAR(f.actual, f.expected, 1e-11 * std::fabs(f.expected) + 5e-14)
                << f.name << (r.call ? " call" : " put") << " S=" << r.spot << " K=" << r.strike;
    }
}

// Zero volatility: d1 and d2 are infinite, N gives 0 or 1, nothing throws.
TEST(BlackScholesOption, ZeroVolatilityGivesDiscountedIntrinsic) {
    const BlackScholesOption itmCall(100, 90, 0.0, 0.05, 0.02, 1.0, true);
    EXPECT_DOUBLE_EQ(itmCall.fairValue(), 100 * std::exp(-0.02) - 90 * std::exp(-0.05));
    EXPECT_DOUBLE_EQ(itmCall.delta(), std::exp(-0.02));
    EXPECT_EQ(BlackScholesOption(100, 90, 0.0, 0.05, 0.02, 1.0, false).fairValue(), 0.0);
}

// A d1 that is not a number (S = K with T = 0, a negative T, a NaN spot):
// Boost.Math's domain error, a standard exception naming its function.
TEST(BlackScholesOption, NanD1RaisesBoostDomainError) {
    const BlackScholesOption cases[] = {
        {100, 100, 0.2, 0.05, 0.0, 0.0, false},
        {100, 90, 0.2, 0.05, 0.01, -1.0, true},
        {std::numeric_limits<double>::quiet_NaN(), 90, 0.2, 0.05, 0.0, 1.0, false},
    };
    const struct { double (BlackScholesOption::*member)() const; const char* function; } figures[] = {
        {&BlackScholesOption::fairValue, "boost::math::cdf"}, {&BlackScholesOption::delta, "boost::math::cdf"},
        {&BlackScholesOption::gamma, "boost::math::pdf"},     {&BlackScholesOption::vega, "boost::math::pdf"},
        {&BlackScholesOption::theta, "boost::math::pdf"},     {&BlackScholesOption::rho, "boost::math::cdf"},
    };
    for (const BlackScholesOption& opt : cases)
        for (const auto& f : figures) {
            try {
                (opt.*f.member)();
                ADD_FAILURE() << f.function << ": no exception";
            } catch (const std::exception& e) {
                const std::string what = e.what();
                EXPECT_NE(what.find(f.function), std::string::npos) << what;
                EXPECT_NE(what.find("Random variate x is"), std::string::npos) << what;
            }
        }
}

}  // namespace
