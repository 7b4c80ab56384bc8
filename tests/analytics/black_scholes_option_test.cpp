#include "analytics/black_scholes_option.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Values from QuantLib 1.29 (AnalyticEuropeanEngine on flat FlatForward and
// BlackConstantVol curves, Actual365Fixed with T a whole number of days over
// 365), written by tools/analytics/bs_reference.cpp. QuantLib's theta is per
// year, its vega and rho per unit, matching the option's units.
const Reference kQuantLib[] = {
#include "tests/analytics/bs_quantlib_reference.inc"
};

BlackScholesOption make(const Reference& r) {
    return BlackScholesOption(r.spot, r.strike, r.vol, r.rate, r.div, r.time, r.call != 0);
}

// Relative tolerance, plus an absolute floor for deep out-of-the-money
// figures (down to 1e-9): QuantLib's normal distribution is 1 + erf, which
// loses relative accuracy in the lower tail (by up to 3e-6 here; checked
// against 50-digit arithmetic), while its absolute error stays below 1e-14.
constexpr double kRelTol = 1e-11;
constexpr double kAbsTol = 5e-14;

TEST(BlackScholesOption, MatchesQuantLibAnalyticEuropeanEngine) {
    double worstRel = 0.0, worstTailRel = 0.0, worstAbs = 0.0;
    for (const Reference& r : kQuantLib) {
        const BlackScholesOption opt = make(r);
        const struct { const char* name; double actual, expected; } figures[] = {
            {"fair value", opt.fairValue(), r.npv}, {"delta", opt.delta(), r.delta},
            {"gamma", opt.gamma(), r.gamma},        {"vega", opt.vega(), r.vega},
            {"theta", opt.theta(), r.theta},        {"rho", opt.rho(), r.rho}};
        for (const auto& f : figures) {
            const double diff = std::fabs(f.actual - f.expected);
            EXPECT_LE(diff, kRelTol * std::fabs(f.expected) + kAbsTol)
                << f.name << (r.call ? " call" : " put") << " S=" << r.spot << " K=" << r.strike
                << " vol=" << r.vol << " r=" << r.rate << " q=" << r.div << " T=" << r.time
                << ": got " << f.actual << " want " << f.expected;
            worstAbs = std::max(worstAbs, diff);
            double& rel = std::fabs(f.expected) >= 1e-3 ? worstRel : worstTailRel;
            rel = std::max(rel, diff / std::fabs(f.expected));
        }
    }
    std::printf("largest deviation from QuantLib: %.3g relative (figures >= 1e-3), "
                "%.3g relative (smaller figures), %.3g absolute\n",
                worstRel, worstTailRel, worstAbs);
}

TEST(BlackScholesOption, ReferenceCoversCallsPutsAndDividends) {
    int calls = 0, puts = 0, withDiv = 0, noDiv = 0;
    for (const Reference& r : kQuantLib) {
        (r.call ? calls : puts)++;
        (r.div > 0 ? withDiv : noDiv)++;
    }
    EXPECT_GT(calls, 0);
    EXPECT_GT(puts, 0);
    EXPECT_GT(withDiv, 0);
    EXPECT_GT(noDiv, 0);
}

// The worked example S = K = 100, vol 0.2, r 0.05, q 0, T 1, to the digits given.
TEST(BlackScholesOption, TextbookExampleWithoutDividends) {
    const BlackScholesOption call(100, 100, 0.2, 0.05, 0.0, 1.0, true);
    const BlackScholesOption put(100, 100, 0.2, 0.05, 0.0, 1.0, false);
    EXPECT_NEAR(call.fairValue(), 10.4506, 5e-5);
    EXPECT_NEAR(put.fairValue(), 5.5735, 5e-5);
    EXPECT_NEAR(call.delta(), 0.6368, 5e-5);
    EXPECT_NEAR(call.gamma(), 0.018762, 5e-7);
    EXPECT_NEAR(call.vega(), 37.524, 5e-4);
    EXPECT_NEAR(call.theta(), -6.414, 5e-4);
    EXPECT_NEAR(call.rho(), 53.232, 5e-4);
    EXPECT_EQ(put.gamma(), call.gamma());
    EXPECT_EQ(put.vega(), call.vega());
}

// A dividend yield lowers the call below the undiscounted-spot figure of 10.3645.
TEST(BlackScholesOption, DividendYieldDiscountsTheSpot) {
    const BlackScholesOption call(100, 100, 0.2, 0.05, 0.03, 1.0, true);
    const double fwdSpot = 100 * std::exp(-0.03);
    // d1 = 0.20, d2 = 0.00 for these inputs.
    const double expected = fwdSpot * 0.57925970943910299 - 100 * std::exp(-0.05) * 0.5;
    EXPECT_NEAR(call.fairValue(), expected, 1e-12);
    EXPECT_LT(call.fairValue(), 10.3645 - 1.0);
}

struct Case { double S, K, vol, r, q, T; };
const Case kCases[] = {
    {100, 100, 0.2, 0.05, 0.0, 1.0},   {100, 100, 0.2, 0.05, 0.03, 1.0},
    {100, 60, 0.15, 0.03, 0.01, 0.5},  {100, 160, 0.4, 0.01, 0.06, 3.0},
    {42.5, 40, 0.35, -0.005, 0.0, 0.25}, {2500, 2400, 0.8, 0.1, 0.12, 10.0},
    {100, 100, 0.05, 0.0, 0.0, 0.01},
};

TEST(BlackScholesOption, PutCallParity) {
    for (const Case& c : kCases) {
        const BlackScholesOption call(c.S, c.K, c.vol, c.r, c.q, c.T, true);
        const BlackScholesOption put(c.S, c.K, c.vol, c.r, c.q, c.T, false);
        // C + K e^(-rT) = P + S e^(-qT); both sides positive.
        const double lhs = call.fairValue() + c.K * std::exp(-c.r * c.T);
        const double rhs = put.fairValue() + c.S * std::exp(-c.q * c.T);
        EXPECT_LE(std::fabs(lhs - rhs), 1e-12 * std::fabs(rhs))
            << "S=" << c.S << " K=" << c.K << " q=" << c.q << " T=" << c.T;
    }
}

TEST(BlackScholesOption, PutAndCallSensitivitiesAgree) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "S=" << c.S << " K=" << c.K << " q=" << c.q
                                        << " T=" << c.T);
        const BlackScholesOption call(c.S, c.K, c.vol, c.r, c.q, c.T, true);
        const BlackScholesOption put(c.S, c.K, c.vol, c.r, c.q, c.T, false);
        const double divFactor = std::exp(-c.q * c.T);
        EXPECT_NEAR(put.delta(), call.delta() - divFactor, 1e-15);
        if (c.q == 0.0) {
            EXPECT_EQ(put.delta(), call.delta() - 1.0);
        }
        EXPECT_EQ(put.gamma(), call.gamma());
        EXPECT_EQ(put.vega(), call.vega());
        // Differentiating parity in T and r.
        const double thetaGap = c.q * c.S * divFactor - c.r * c.K * std::exp(-c.r * c.T);
        EXPECT_NEAR(call.theta() - put.theta(), thetaGap, 1e-12 * (c.S + c.K) * (1 + c.r + c.q));
        EXPECT_NEAR(call.rho() - put.rho(), c.T * c.K * std::exp(-c.r * c.T),
                    1e-12 * c.K * c.T);
    }
}

// Zero volatility: d1 and d2 are infinite, N gives 0 or 1, nothing throws.
TEST(BlackScholesOption, ZeroVolatilityGivesDiscountedIntrinsic) {
    const BlackScholesOption itmCall(100, 90, 0.0, 0.05, 0.02, 1.0, true);
    EXPECT_DOUBLE_EQ(itmCall.fairValue(), 100 * std::exp(-0.02) - 90 * std::exp(-0.05));
    EXPECT_DOUBLE_EQ(itmCall.delta(), std::exp(-0.02));
    const BlackScholesOption otmPut(100, 90, 0.0, 0.05, 0.02, 1.0, false);
    EXPECT_EQ(otmPut.fairValue(), 0.0);
}

void expectBoostDomainError(const BlackScholesOption& opt, double (BlackScholesOption::*member)() const,
                            const char* function) {
    try {
        (opt.*member)();
        ADD_FAILURE() << "no exception";
    } catch (const std::exception& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(function), std::string::npos) << what;
        EXPECT_NE(what.find("Random variate x is"), std::string::npos) << what;
        EXPECT_NE(what.find("nan"), std::string::npos) << what;
    }
}

// A d1 that is not a number: S = K with T = 0 (0/0), and a negative T.
TEST(BlackScholesOption, NanD1RaisesBoostDomainErrorAsStdException) {
    const BlackScholesOption cases[] = {
        {100, 100, 0.2, 0.05, 0.0, 0.0, true},
        {100, 100, 0.2, 0.05, 0.0, 0.0, false},
        {100, 90, 0.2, 0.05, 0.01, -1.0, true},
        {std::numeric_limits<double>::quiet_NaN(), 90, 0.2, 0.05, 0.0, 1.0, false},
    };
    for (const BlackScholesOption& opt : cases) {
        expectBoostDomainError(opt, &BlackScholesOption::fairValue, "boost::math::cdf");
        expectBoostDomainError(opt, &BlackScholesOption::delta, "boost::math::cdf");
        expectBoostDomainError(opt, &BlackScholesOption::gamma, "boost::math::pdf");
        expectBoostDomainError(opt, &BlackScholesOption::vega, "boost::math::pdf");
        expectBoostDomainError(opt, &BlackScholesOption::theta, "boost::math::pdf");
        expectBoostDomainError(opt, &BlackScholesOption::rho, "boost::math::cdf");
    }
}

}  // namespace
