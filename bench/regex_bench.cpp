// regex_search and regex_replace per call through the frame (the simulated
// host calling the registered function for a cell), against the bare Boost
// calls with the pattern compiled each time, as the functions do.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "host/host.h"
#include "regex/regex.h"

namespace {

// 100 characters, the pattern's only match near the end.
const std::string text =
    "The quick brown fox jumps over the lazy dog; pack my box with five dozen liquor jugs, id 2026-12-06.";
const std::string pattern = "\\d{4}-\\d\\d";
const std::string format = "<&>";

void BM_SearchBoost(benchmark::State& state) {
  for (auto _ : state) {
    boost::regex re(pattern, boost::regex::perl);
    benchmark::DoNotOptimize(boost::regex_search(text, re));
  }
}
BENCHMARK(BM_SearchBoost);

void BM_ReplaceBoost(benchmark::State& state) {
  for (auto _ : state) {
    boost::regex re(pattern, boost::regex::perl);
    benchmark::DoNotOptimize(boost::regex_replace(text, re, format, boost::format_sed));
  }
}
BENCHMARK(BM_ReplaceBoost);

// The library functions behind the worksheet functions, without the host.
void BM_SearchLibrary(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(zr::regexSearch(text, pattern));
}
BENCHMARK(BM_SearchLibrary);

void BM_ReplaceLibrary(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(zr::regexReplace(text, pattern, format));
}
BENCHMARK(BM_ReplaceLibrary);

void throughHost(benchmark::State& state, const char* function, std::vector<xlsim::Arg> args) {
  standin::reset();
  xlsim::Host host;
  if (!host.load(ZR_XLL)) state.SkipWithError("zr.xll did not load");
  for (auto _ : state) benchmark::DoNotOptimize(host.call(function, args, "B1"));
}

void BM_SearchThroughHost(benchmark::State& state) {
  throughHost(state, "regex_search", {xlsim::Value::text(text), xlsim::Value::text(pattern)});
}
BENCHMARK(BM_SearchThroughHost);

void BM_ReplaceThroughHost(benchmark::State& state) {
  throughHost(state, "regex_replace",
              {xlsim::Value::text(text), xlsim::Value::text(pattern), xlsim::Value::text(format)});
}
BENCHMARK(BM_ReplaceThroughHost);

// The host's own cost of a call, for comparison.
void BM_VersionThroughHost(benchmark::State& state) { throughHost(state, "hf_xllversion", {}); }
BENCHMARK(BM_VersionThroughHost);

}  // namespace

BENCHMARK_MAIN();
