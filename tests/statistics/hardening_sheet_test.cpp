// Calls the fuzz driver found hanging, through the simulated host.
#include <cmath>
#include <vector>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Arg;
using xlsim::Value;

class StatisticsHardening : public zrtest::AddinTest {};

// Discrete quantiles from 2^53 on: Boost's rounding in steps of one never
// ended there (found with zr_fuzz seed 1: stat_median of a Poisson mean 3e284).
TEST_F(StatisticsHardening, DiscreteQuantilesBeyondWholeStepsEnd) {
  struct Case {
    const char* constructor;
    std::vector<Arg> args;
    const char* statistic;
    double p;
    double expected;  // the real-valued root, whole at this size
  };
  const Case cases[] = {
      {"stat_distrPoisson", {1e300}, "stat_median", 0, 1e300},
      {"stat_distrPoisson", {3.1262329715720845e284}, "stat_quantile", 0.5, 3.1262329715720845e284},
      // one shape of the incomplete beta function small enough to evaluate
      {"stat_distrBinomial", {1e17, 0.99999}, "stat_quantile", 0.5, 9.9999e16},
      {"stat_distrNegativeBinomial", {1e12, 1e-5}, "stat_quantile", 0.5, 9.9998999999966656e16},
      {"stat_distrNegativeBinomial", {1e12, 1e-5}, "stat_median", 0, 9.9998999999966656e16},
      {"stat_distrBinomial", {1e300, 0.5}, "stat_median", 0, 5e299},  // closed form, no search
  };
  for (const Case& c : cases) {
    Value handle = host.call(c.constructor, c.args, "A1");
    ASSERT_TRUE(handle.is(Value::Text)) << c.constructor;
    std::vector<Arg> args{handle};
    if (std::string(c.statistic) == "stat_quantile") args.push_back(c.p);
    Value v = host.call(c.statistic, args, "B1");
    ASSERT_TRUE(v.is(Value::Number)) << c.constructor << " " << c.statistic << ": " << v;
    EXPECT_NEAR(v.num / c.expected, 1.0, 1e-12) << c.constructor << " " << c.statistic;
  }
  // below 2^53 the quantile is still rounded outwards to a whole number
  Value small = host.call("stat_distrPoisson", {1e6}, "A1");
  Value q = host.call("stat_quantile", {small, 0.5}, "B1");
  ASSERT_TRUE(q.is(Value::Number));
  EXPECT_EQ(q.num, std::floor(q.num));
}

// A Pareto cdf far out in the tail: scale / x underflows to 0, where Boost's
// powm1 recursed until the stack overflowed (shape even).
TEST_F(StatisticsHardening, ParetoCdfWhereTheRatioUnderflows) {
  Value handle = host.call("stat_distrPareto", {1e6, 1e-300}, "A1");
  ASSERT_TRUE(handle.is(Value::Text));
  Value v = host.call("stat_cdf", {handle, 1e100}, "B1");
  ASSERT_TRUE(v.is(Value::Number)) << v;
  EXPECT_EQ(v.num, 1.0);
  v = host.call("stat_cdf", {handle, 2e-300}, "B1");  // an ordinary point still goes to Boost
  ASSERT_TRUE(v.is(Value::Number)) << v;
  EXPECT_NEAR(v.num, 1.0 - std::pow(0.5, 1e6), 1e-15);
}

}  // namespace
