// The statistics dispatch: refusals, unrecognised holders, the builders'
// own checks, and Boost's messages passed on unchanged.
#include <gtest/gtest.h>

#include <boost/math/distributions/beta.hpp>
#include <boost/math/distributions/hypergeometric.hpp>
#include <chrono>
#include <cmath>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/fpstate.h"
#include "statistics/distributions.h"
#include "statistics/kinds.h"
#include "statistics/stats_utils.h"
#include "tests/support/thrown.h"

namespace {

using namespace ZR::stats;
using Statistic = std::function<double(const boost::any&)>;

using zrtest::thrownMessage;

const std::vector<std::pair<Statistic, std::string>> unrecognised = {
    {StatsUtils::mean, "StatsUtils::mean - unrecognised statistical distribution"},
    {StatsUtils::stdev, "StatsUtils::standard deviation - unrecognised statistical distribution"},
    {StatsUtils::mode, "StatsUtils::mode - unrecognised statistical distribution"},
    {StatsUtils::median, "StatsUtils::median - unrecognised statistical distribution"},
    {StatsUtils::kurtosis, "StatsUtils::kurtosis - unrecognised statistical distribution"},
    {[](const boost::any& h) { return StatsUtils::pdf(h, 0.5); },
     "StatsUtils::Probability density function - unrecognised statistical distribution"},
    {[](const boost::any& h) { return StatsUtils::cdf(h, 0.5); },
     "StatsUtils::Cumulative distribution function - unrecognised statistical distribution"},
    {[](const boost::any& h) { return StatsUtils::hazard(h, 0.5); },
     "StatsUtils::Hazard function - unrecognised statistical distribution"},
    {[](const boost::any& h) { return StatsUtils::cumHazard(h, 0.5); },
     "StatsUtils:: Cumulative hazard function - unrecognised statistical distribution"},
    {[](const boost::any& h) { return StatsUtils::quantile(h, 0.5); },
     "StatsUtils::quantile - unrecognised statistical distribution"},
};

TEST(StatsUtils, HoldersOfNoDistributionGiveEachStatisticsOwnMessage) {
  // Empty (an unknown handle), another family's object, and a distribution
  // of another value type, which no constructor makes.
  const boost::any holders[] = {boost::any(), boost::any(std::vector<double>{1, 2}),
                                boost::any(boost::math::beta_distribution<float>(2, 3))};
  for (const boost::any& holder : holders)
    for (const auto& [statistic, message] : unrecognised)
      EXPECT_EQ(thrownMessage([&] { statistic(holder); }), message);
}

TEST(StatsUtils, RefusalsAreThePlainMessagesAndOnlyThere) {
  const boost::any cauchy = makeCauchy(1.5, 2), ncBeta = makeNonCentralBeta(2, 3, 1);
  EXPECT_EQ(thrownMessage([&] { StatsUtils::mean(cauchy); }),
            "StatsUtils::mean::Function mean undefined for cauchy distribution");
  EXPECT_EQ(thrownMessage([&] { StatsUtils::stdev(cauchy); }),
            "StatsUtils::stdev::Function standard deviation undefined for cauchy distribution");
  EXPECT_EQ(thrownMessage([&] { StatsUtils::kurtosis(cauchy); }),
            "StatsUtils:: Function Kurtosis undefined for cauchy distribution");
  EXPECT_EQ(thrownMessage([&] { StatsUtils::kurtosis(ncBeta); }),
            "DistributionUtils::Kurtosis isn't implemented yet for non central beta!!");
  EXPECT_EQ(StatsUtils::mode(cauchy), 1.5);
  EXPECT_EQ(StatsUtils::median(cauchy), 1.5);
  EXPECT_GT(StatsUtils::mean(ncBeta), 0);
  EXPECT_GT(StatsUtils::stdev(ncBeta), 0);
}

TEST(StatsUtils, KurtosisIsTheFullOne) {
  // Boost's own kurtosis is off for the inverse Gaussian (by 6) and for the
  // non-central t (by 3, or the Student's t limit when delta is 0).
  const std::pair<boost::any, double> cases[] = {
      {makeNormal(-4, 7), 3},          {makeExponential(0.2), 9},
      {makeTriangular(0, 1, 5), 2.4},  {makeInverseGaussian(2, 1), 33},
      {makeNonCentralT(9, 0), 4.2},    {makeStudentsT(9), 4.2}};
  for (const auto& [holder, kurtosis] : cases)
    EXPECT_NEAR(StatsUtils::kurtosis(holder), kurtosis, 1e-12 * kurtosis);
}

TEST(StatsUtils, ParametersOutsideTheDomainAreRefusedBeforeBoostSeesThem) {
  const std::pair<std::function<boost::any()>, const char*> builders[] = {
      {[] { return makeHypergeometric(-5, 3, 20); }, "stat_distrHyperGeometric - n, r and N must not be negative"},
      {[] { return makeHypergeometric(5, -3, 20); }, "stat_distrHyperGeometric - n, r and N must not be negative"},
      {[] { return makeHypergeometric(5, 3, -20); }, "stat_distrHyperGeometric - n, r and N must not be negative"},
      {[] { return makeInverseGamma(0, 1); }, "stat_distrInverseGamma - alpha must be positive"},
      {[] { return makeBinomial(10.5, 0.5); }, "stat_distrBinomial - n must be a whole number"},
      {[] { return makeGeometric(0); }, "stat_distrGeometric - p must be positive"},
      {[] { return makeNegativeBinomial(3, 0); }, "stat_distrNegativeBinomial - p must be positive"},
      // degenerate but inside: no trials, a certain success, a tiny shape
      {[] { return makeBinomial(0, 0.5); }, ""},
      {[] { return makeGeometric(1); }, ""},
      {[] { return makeInverseGamma(1e-300, 1); }, ""},
  };
  for (const auto& [make, message] : builders) EXPECT_EQ(thrownMessage(make), message);
  // Sample 5 of a population of 20 holding 3 successes.
  const boost::any holder = makeHypergeometric(5, 3, 20);
  const auto& h = boost::any_cast<const Hypergeometric&>(holder);
  EXPECT_EQ(h.sample_count(), 5u);
  EXPECT_EQ(h.defective(), 3u);
  EXPECT_EQ(h.total(), 20u);
}

TEST(StatsUtils, BoostMessagesPassUnchanged) {
  // A sample larger than the population, and a beta variate outside [0, 1].
  std::string fromBoost = thrownMessage([] { Hypergeometric(3, 25, 20); });
  EXPECT_EQ(fromBoost.rfind("Error in function boost::math::hypergeometric_distribution<double>", 0),
            0u);
  EXPECT_EQ(thrownMessage([] { makeHypergeometric(25, 3, 20); }), fromBoost);
  fromBoost = thrownMessage([] { boost::math::pdf(Beta(2, 3), 2.0); });
  EXPECT_NE(fromBoost, "");
  EXPECT_EQ(thrownMessage([] { StatsUtils::pdf(makeBeta(2, 3), 2); }), fromBoost);
}

TEST(StatsUtils, NoNumberAtTheEndOfTheSupport) {
  // Both are infinite there (Boost gave -log(0), and a hazard of 0 for 0 / 0).
  EXPECT_EQ(thrownMessage([] { StatsUtils::cumHazard(makeUniform(-1, 3), 3); }),
            "StatsUtils::cumHazard - not a finite number");
  EXPECT_EQ(thrownMessage([] { StatsUtils::hazard(makeBeta(2.5, 4), 1); }),
            "StatsUtils::hazard - not a finite number");
}

// The message the call throws, "" for a finite number, or "hangs" when it has
// not ended within two minutes, which only a call without end reaches (its
// thread is left behind, so the test ends). The refusals come before any
// evaluation; the calls on the bounds take under 0.1 s each (timed by
// tools/statistics/hang_probe.cpp).
std::string endsAtAll(std::function<double()> call) {
  auto outcome = std::make_shared<std::promise<std::string>>();
  std::future<std::string> result = outcome->get_future();
  std::thread([call, outcome] {
    platform::FpScope standard;  // a new thread on Windows starts at 53-bit x87 precision
    std::string s;
    const std::string thrown = thrownMessage([&] { s = std::isfinite(call()) ? "" : "not finite"; });
    outcome->set_value(thrown.empty() ? s : thrown);
  }).detach();
  if (result.wait_for(std::chrono::minutes(2)) != std::future_status::ready) return "hangs";
  return result.get();
}

TEST(StatsUtils, ParametersTooLargeForBoostAreRefusedAndThoseJustInsideStillComputed) {
  using StatsUtils::cdf, StatsUtils::pdf, StatsUtils::quantile;
  const double belowOne = std::nextafter(1.0, 0.0);
  // Each of these ran for seconds or for ever in Boost.
  const std::pair<std::function<double()>, const char*> refused[] = {
      {[] { return cdf(makeBeta(1e300, 1e300), 0.5); }, "cdf"},
      {[] { return quantile(makeBeta(1e5, 1e50), 0.999); }, "quantile"},
      {[] { return StatsUtils::cumHazard(makeFisherF(1e50, 1e50), 1); }, "cumHazard"},
      {[] { return quantile(makeBinomial(1e300, 0.5), 0.5); }, "quantile"},
      {[] { return quantile(makeBinomial(1e16, 0.5), 0.5); }, "quantile"},
      {[] { return cdf(makeNegativeBinomial(1e300, 0.5), 1e300); }, "cdf"},
      {[] { return StatsUtils::median(makeNegativeBinomial(1e20, 0.001)); }, "median"},
      {[] { return pdf(makeHypergeometric(1, 1, 2147483647), 0); }, "pdf"},
      {[] { return StatsUtils::hazard(makeNonCentralBeta(1e50, 1e50, 1), 0.5); }, "hazard"},
      {[] { return cdf(makeNonCentralF(1e50, 1e50, 1), 1); }, "cdf"},
      {[] { return StatsUtils::median(makeNonCentralT(0.001, 3e4)); }, "median"},
  };
  for (const auto& [call, statistic] : refused)
    EXPECT_EQ(endsAtAll(call),
              std::string("StatsUtils::") + statistic + " - parameters too large to evaluate");
  // On each bound; a discrete quantile where the cdf rounds to p over 10^4
  // counts, and over 10^12.
  const std::function<double()> computed[] = {
      [] { return cdf(makeBeta(1e13, 1e13), 0.5); },
      [] { return quantile(makeFisherF(2e13, 1), 0.5); },
      [] { return quantile(makeBinomial(2e13, 0.5), 0.5); },
      [] { return cdf(makeNegativeBinomial(1e13, 0.5), 1e13 - 1); },
      [=] { return quantile(makeNegativeBinomial(1, 1e-4), belowOne); },
      [] { return quantile(makeNegativeBinomial(1, 1e-12), 1 - 1e-12); },
      [] { return quantile(makeHypergeometric(1, 1, 1000000), 0.5); },
      [] { return quantile(makeNonCentralBeta(2, 3, 1e6), 0.5); },
      [] { return StatsUtils::mode(makeNonCentralT(5, -1000)); },
  };
  for (const auto& call : computed) EXPECT_EQ(endsAtAll(call), "");
}

}  // namespace
