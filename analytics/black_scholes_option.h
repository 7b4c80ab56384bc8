// A European option priced in closed form (Black-Scholes-Merton with a
// continuous dividend yield).
#pragma once

namespace QA {

class BlackScholesOption {
public:
    // Stores the arguments unchanged; checks nothing.
    BlackScholesOption(double spot, double strike, double volatility, double rate,
                       double dividendYield, double time, bool callFlag);

    // Every figure is recomputed from the fields. Units: vega per unit of
    // volatility, theta per unit of time, rho per unit of rate.
    // A d1 or d2 that is not a number makes Boost.Math throw its domain error
    // (a std::domain_error).
    double fairValue() const;
    double delta() const;
    double gamma() const;
    double vega() const;
    double theta() const;
    double rho() const;

private:
    double spot_;
    double rate_;
    double dividendYield_;
    double volatility_;
    double time_;
    double strike_;
    bool callFlag_;

    double d1() const;
    double d2() const;
};

}  // namespace QA
