// Black-Scholes option worksheet functions.
#include <boost/shared_ptr.hpp>

#include "addin/categories.h"
#include "analytics/black_scholes_option.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

namespace {

const char* const optHelp = "is the input option object.";

boost::shared_ptr<QA::BlackScholesOption> optionFromHandle(const char* handle) {
  return objectFromHandle<boost::shared_ptr<QA::BlackScholesOption>>(handle);
}

// A query of the option behind a handle.
template <class Query>
LPXLOPER query(OPER& result, const char* handle, Query q) {
  return framed(result, [&] { result = (optionFromHandle(handle).get()->*q)(); });
}

}  // namespace

const CategoryTable& ZR::AnalyticalCategory() {
  static const std::vector<ArgRow> queryArgs{{"F#", "opt", optHelp}, {"P", "trigger", triggerHelp}};
  static const CategoryTable table{
      "ZR_Analytical",
      "Analytical Closed form solution library.",
      "Analytical Closed form solution library.",
      CategoryTable::DocumentationFirst,
      {
          {"bsopt_create",
           "R#",
           {{"B", "Spot", "is the spot level."},
            {"B", "Strike", "is the strike."},
            {"B", "Volatility", "is the volatility."},
            {"B", "Riskfreerate", "is the risk free rate."},
            {"B", "Dividendyield", "is the dividend yield."},
            {"B", "TimeToExpiry", "is the time to expiry."},
            {"A", "CallputFlag", "True for call option and False put option."},
            {"P", "trigger", triggerHelp}},
           "creates Black Scholes Option object."},
          {"bsopt_fv", "R#", queryArgs, "returns the price of the Black Scholes option."},
          {"bsopt_delta", "R#", queryArgs, "returns the delta of the Black Scholes option."},
          {"bsopt_vega", "R#", queryArgs, "returns the vega of the Black Scholes option."},
          {"bsopt_gamma", "R#", queryArgs, "returns the gamma of the Black Scholes option."},
          {"bsopt_theta", "R#", queryArgs, "returns the theta of the Black Scholes option."},
          {"bsopt_rho", "R#", queryArgs, "returns the rho of the Black Scholes option."},
      },
      {},
  };
  return table;
}

XLL_PROC(LPXLOPER, bsopt_create, "?bsopt_create",
         (double spot, double strike, double volatility, double rate, double dividendYield,
          double time, short callFlag, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    boost::shared_ptr<QA::BlackScholesOption> option(new QA::BlackScholesOption(
        spot, strike, volatility, rate, dividendYield, time, callFlag != 0));
    result = handleFactory::instance().insert(boost::any(option));
  });
}

XLL_PROC(LPXLOPER, bsopt_fv, "?bsopt_fv", (char* opt, LPXLOPER trigger)) {
  static OPER result;
  return query(result, opt, &QA::BlackScholesOption::fairValue);
}

XLL_PROC(LPXLOPER, bsopt_delta, "?bsopt_delta", (char* opt, LPXLOPER trigger)) {
  static OPER result;
  return query(result, opt, &QA::BlackScholesOption::delta);
}

XLL_PROC(LPXLOPER, bsopt_vega, "?bsopt_vega", (char* opt, LPXLOPER trigger)) {
  static OPER result;
  return query(result, opt, &QA::BlackScholesOption::vega);
}

XLL_PROC(LPXLOPER, bsopt_gamma, "?bsopt_gamma", (char* opt, LPXLOPER trigger)) {
  static OPER result;
  return query(result, opt, &QA::BlackScholesOption::gamma);
}

XLL_PROC(LPXLOPER, bsopt_theta, "?bsopt_theta", (char* opt, LPXLOPER trigger)) {
  static OPER result;
  return query(result, opt, &QA::BlackScholesOption::theta);
}

XLL_PROC(LPXLOPER, bsopt_rho, "?bsopt_rho", (char* opt, LPXLOPER trigger)) {
  static OPER result;
  return query(result, opt, &QA::BlackScholesOption::rho);
}
