// The option's worksheet functions through the simulated host.
#include <cmath>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Arg;
using xlsim::Value;
using zrtest::isError;

struct Reference {
  double spot, strike, vol, rate, div, time;
  int call;
  double npv, delta, gamma, vega, theta, rho;
};

// QuantLib 1.29's AnalyticEuropeanEngine (see tools/analytics).
const Reference quantLib[] = {
#include "tests/analytics/bs_quantlib_reference.inc"
};

class OptionSheet : public zrtest::AddinTest {};

TEST_F(OptionSheet, FiguresThroughTheHostMatchQuantLib) {
  const char* queries[] = {"bsopt_fv", "bsopt_delta", "bsopt_gamma",
                           "bsopt_vega", "bsopt_theta", "bsopt_rho"};
  for (size_t i = 0; i < std::size(quantLib); i += 7) {
    const Reference& r = quantLib[i];
    Value handle = host.call("bsopt_create",
                             {r.spot, r.strike, r.vol, r.rate, r.div, r.time,
                              Value::boolean(r.call != 0)},
                             "A1");
    ASSERT_TRUE(handle.is(Value::Text));
    const double expected[] = {r.npv, r.delta, r.gamma, r.vega, r.theta, r.rho};
    for (int q = 0; q < 6; ++q) {
      Value v = host.call(queries[q], {handle}, "B1");
      ASSERT_TRUE(v.is(Value::Number)) << queries[q];
      EXPECT_NEAR(v.num, expected[q], 1e-11 * std::fabs(expected[q]) + 5e-14) << queries[q];
    }
  }
}

TEST_F(OptionSheet, CallAndPutFromCells) {
  host.setCell("A1", "100");
  host.setCell("A2", "=bsopt_create(A1,100,0.2,0.05,0.03,1,TRUE)");
  host.setCell("A3", "=bsopt_create(A1,100,0.2,0.05,0.03,1,FALSE)");
  host.setCell("B2", "=bsopt_fv(A2)");
  host.setCell("B3", "=bsopt_fv(A3)");
  host.setCell("C2", "=bsopt_delta(A2)");
  host.setCell("C3", "=bsopt_delta(A3)");
  host.calculate();
  EXPECT_EQ(host.value("A2").str, "#hndl1");
  EXPECT_EQ(host.value("A3").str, "#hndl2");
  // Parity with a continuous dividend: C - P = S e^(-qT) - K e^(-rT).
  double parity = 100 * std::exp(-0.03) - 100 * std::exp(-0.05);
  EXPECT_NEAR(host.value("B2").num - host.value("B3").num, parity, 1e-12 * 100);
  EXPECT_NEAR(host.value("C2").num - host.value("C3").num, std::exp(-0.03), 1e-15);
  EXPECT_EQ(host.call("hf_count", {}, "Z1").num, 2);
}

TEST_F(OptionSheet, BadHandlesAndBadNumbersFailWithTheirReason) {
  EXPECT_TRUE(isError(enter("A1", "=bsopt_fv(\"#hndl7\")"), xlerrValue));
  EXPECT_EQ(errorOf("A1"), "boost::bad_any_cast: failed conversion using boost::any_cast");
  // S = K with T = 0 has no d1: Boost's domain error reaches the cell.
  enter("B1", "=bsopt_create(100,100,0.2,0.05,0,0,TRUE)");
  EXPECT_TRUE(isError(enter("B2", "=bsopt_fv(B1)"), xlerrValue));
  EXPECT_EQ(errorOf("B2").rfind("Error in function boost::math::cdf", 0), 0u) << errorOf("B2");
  // The cell recovers with a good option.
  host.setCell("B1", "=bsopt_create(100,100,0.2,0.05,0,1,TRUE)");
  host.calculate();
  EXPECT_NEAR(host.value("B2").num, 10.450583572185565, 1e-12);
  EXPECT_EQ(errorOf("B2"), "");
}

TEST_F(OptionSheet, FiguresThatAreNotFiniteShowNumError) {
  // At expiry with spot != strike gamma and theta have no finite value, nor
  // has gamma without volatility: the cell shows #NUM!, never a NaN.
  host.setCell("A1", "=bsopt_create(100,90,0.2,0.05,0,0,TRUE)");
  host.setCell("B1", "=bsopt_create(100,110,0.2,0.05,0,0,FALSE)");
  host.setCell("C1", "=bsopt_create(100,90,0,0.05,0,1,TRUE)");
  for (std::string c : {"A", "B", "C"}) {
    host.setCell(c + "2", "=bsopt_gamma(" + c + "1)");
    host.setCell(c + "3", "=bsopt_theta(" + c + "1)");
    host.setCell(c + "4", "=bsopt_fv(" + c + "1)");
  }
  host.calculate();
  for (const char* ref : {"A2", "B2", "C2", "A3", "B3"}) EXPECT_TRUE(isError(host.value(ref), xlerrNum)) << ref;
  // the finite figures of the same options stay numbers
  EXPECT_EQ(host.values("A4:C4").elements[0], Value::number(10));
  EXPECT_EQ(host.values("A4:C4").elements[1], Value::number(10));
  EXPECT_TRUE(host.value("C3").is(Value::Number));
}

}  // namespace
