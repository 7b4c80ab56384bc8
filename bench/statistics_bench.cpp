// stat_cdf and stat_quantile per call: the exported procedure with the host
// live (frame, handle lookup, dispatch), the dispatch alone on a holder, and
// the bare Boost call, for a normal and a non-central t distribution. The
// added cost is the procedure's time less the bare call's; the frame's own
// part of it is hf_xllversion's time, a framed procedure that only returns
// a constant.
#include <benchmark/benchmark.h>

#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/distributions/normal.hpp>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include "host/host.h"
#include "statistics/distributions.h"
#include "statistics/stats_utils.h"

namespace {

using xlsim::Value;

const boost::math::normal_distribution<double> normal(0.5, 1.5);
const boost::math::non_central_t_distribution<double> nct(10, 1.2);
constexpr double x = 1.1, p = 0.7;

// The add-in loaded into a live host, with both distributions stored.
struct Sheet {
  xlsim::Host host;
  std::string normal, nct;
  Sheet() {
    std::string error;
    if (!host.load(ZR_XLL, &error)) throw std::runtime_error(error);
    normal = host.call("stat_distrNormal", {0.5, 1.5}, "A1").str;
    nct = host.call("stat_distrNonCentralT", {10, 1.2}, "A2").str;
  }
};

Sheet& sheet() {
  static Sheet s;
  return s;
}

void viaProcedure(benchmark::State& state, const char* procedure, bool onNormal, double arg) {
  Sheet& s = sheet();
  using Proc = LPXLOPER (*)(char*, double);
  auto proc = reinterpret_cast<Proc>(s.host.symbol(procedure));
  if (!proc) {
    state.SkipWithError("procedure not exported");
    return;
  }
  std::string handle = onNormal ? s.normal : s.nct;
  LPXLOPER r = nullptr;
  for (auto _ : state) {
    r = proc(&handle[0], arg);
    benchmark::DoNotOptimize(r);
  }
  if (r->xltype != xltypeNum) state.SkipWithError("no number");
}

void BM_Frame_Procedure(benchmark::State& state) {
  auto proc = reinterpret_cast<LPXLOPER (*)()>(sheet().host.symbol("?hf_xllversion"));
  for (auto _ : state) benchmark::DoNotOptimize(proc());
}
BENCHMARK(BM_Frame_Procedure);

template <class Statistic>
void viaDispatch(benchmark::State& state, const boost::any& holder, Statistic statistic, double arg) {
  for (auto _ : state) benchmark::DoNotOptimize(statistic(holder, arg));
}

const boost::any normalHolder = ZR::stats::makeNormal(0.5, 1.5);
const boost::any nctHolder = ZR::stats::makeNonCentralT(10, 1.2);

void BM_NormalCdf_Procedure(benchmark::State& s) { viaProcedure(s, "?stat_cdf", true, x); }
void BM_NormalCdf_Dispatch(benchmark::State& s) { viaDispatch(s, normalHolder, StatsUtils::cdf, x); }
void BM_NormalCdf_Bare(benchmark::State& s) {
  for (auto _ : s) benchmark::DoNotOptimize(boost::math::cdf(normal, x));
}
void BM_NormalQuantile_Procedure(benchmark::State& s) { viaProcedure(s, "?stat_quantile", true, p); }
void BM_NormalQuantile_Dispatch(benchmark::State& s) {
  viaDispatch(s, normalHolder, StatsUtils::quantile, p);
}
void BM_NormalQuantile_Bare(benchmark::State& s) {
  for (auto _ : s) benchmark::DoNotOptimize(boost::math::quantile(normal, p));
}
void BM_NonCentralTCdf_Procedure(benchmark::State& s) { viaProcedure(s, "?stat_cdf", false, x); }
void BM_NonCentralTCdf_Dispatch(benchmark::State& s) { viaDispatch(s, nctHolder, StatsUtils::cdf, x); }
void BM_NonCentralTCdf_Bare(benchmark::State& s) {
  for (auto _ : s) benchmark::DoNotOptimize(boost::math::cdf(nct, x));
}
void BM_NonCentralTQuantile_Procedure(benchmark::State& s) {
  viaProcedure(s, "?stat_quantile", false, p);
}
void BM_NonCentralTQuantile_Dispatch(benchmark::State& s) {
  viaDispatch(s, nctHolder, StatsUtils::quantile, p);
}
void BM_NonCentralTQuantile_Bare(benchmark::State& s) {
  for (auto _ : s) benchmark::DoNotOptimize(boost::math::quantile(nct, p));
}

BENCHMARK(BM_NormalCdf_Procedure);
BENCHMARK(BM_NormalCdf_Dispatch);
BENCHMARK(BM_NormalCdf_Bare);
BENCHMARK(BM_NormalQuantile_Procedure);
BENCHMARK(BM_NormalQuantile_Dispatch);
BENCHMARK(BM_NormalQuantile_Bare);
BENCHMARK(BM_NonCentralTCdf_Procedure);
BENCHMARK(BM_NonCentralTCdf_Dispatch);
BENCHMARK(BM_NonCentralTCdf_Bare);
BENCHMARK(BM_NonCentralTQuantile_Procedure);
BENCHMARK(BM_NonCentralTQuantile_Dispatch);
BENCHMARK(BM_NonCentralTQuantile_Bare);

// The slowest calls that are still computed: on the bounds of the refusals
// for parameters too large (tests/statistics/stats_utils_test.cpp), and the
// tails and quantiles computed here where Boost's go wrong.
using StatsUtils::cdf, StatsUtils::quantile;
const std::pair<const char*, std::function<double()>> slowest[] = {
    {"BetaCdfOnBound", [] { return cdf(ZR::stats::makeBeta(1e13, 1e13), 0.5); }},
    {"FisherFQuantileOnBound", [] { return quantile(ZR::stats::makeFisherF(2e13, 1), 0.5); }},
    {"BinomialQuantileOnBound", [] { return quantile(ZR::stats::makeBinomial(2e13, 0.5), 0.5); }},
    {"NegativeBinomialCdfOnBound",
     [] { return cdf(ZR::stats::makeNegativeBinomial(1e13, 0.5), 1e13 - 1); }},
    {"NegativeBinomialQuantileNearOne",
     [] { return quantile(ZR::stats::makeNegativeBinomial(1, 1e-4), std::nextafter(1.0, 0.0)); }},
    {"HypergeometricQuantileOnBound",
     [] { return quantile(ZR::stats::makeHypergeometric(1, 1, 1000000), 0.5); }},
    {"NonCentralBetaQuantileOnBound",
     [] { return quantile(ZR::stats::makeNonCentralBeta(2, 3, 1e6), 0.5); }},
    {"NonCentralTModeOnBound", [] { return StatsUtils::mode(ZR::stats::makeNonCentralT(5, -1000)); }},
    {"NonCentralTLowerTail", [] { return cdf(ZR::stats::makeNonCentralT(1e6, 1), -30); }},
    {"NonCentralTQuantileFarOut", [] { return quantile(ZR::stats::makeNonCentralT(1e6, 1), 1e-10); }},
    {"NonCentralTKurtosisManyDf",
     [] { return StatsUtils::kurtosis(ZR::stats::makeNonCentralT(1e13, 2147483647)); }},
    {"InverseGaussianQuantile", [] { return quantile(ZR::stats::makeInverseGaussian(1, 0.001), 0.999999); }},
    {"WeibullKurtosisLargeShape", [] { return StatsUtils::kurtosis(ZR::stats::makeWeibull(1e6, 1)); }},
};

const bool slowestRegistered = [] {
  for (const auto& [name, call] : slowest) {
    benchmark::RegisterBenchmark(name, [call = call](benchmark::State& state) {
      for (auto _ : state) benchmark::DoNotOptimize(call());
    })->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
