// The fixed cost of the worksheet-function frame: clearing the cell's
// message, the function-wizard test over a few dozen windows, the persistent
// result; against the same work without the frame.
#include <benchmark/benchmark.h>

#include "analytics/black_scholes_option.h"
#include "bench/scripted_host.h"
#include "pool/frame.h"

namespace {

const QA::BlackScholesOption option(100, 100, 0.2, 0.05, 0.01, 1, true);

void BM_DeltaBare(benchmark::State& state) {
  static OPER result;
  for (auto _ : state) {
    result = option.delta();
    benchmark::DoNotOptimize(&result);
  }
}
BENCHMARK(BM_DeltaBare);

void BM_DeltaFramed(benchmark::State& state) {
  ScriptedHost host(static_cast<int>(state.range(0)));
  host.setCaller("[Book1]Sheet1!$B$2");
  static OPER result;
  for (auto _ : state) benchmark::DoNotOptimize(xll::framed(result, [] { result = option.delta(); }));
}
BENCHMARK(BM_DeltaFramed)->Arg(0)->Arg(40);

// The frame's parts on their own.
void BM_ClearError(benchmark::State& state) {
  ScriptedHost host;
  host.setCaller("[Book1]Sheet1!$B$2");
  for (auto _ : state) handleFactory::instance().clearError();
}
BENCHMARK(BM_ClearError);

void BM_WizardTest(benchmark::State& state) {
  ScriptedHost host(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(xll::InWizard());
}
BENCHMARK(BM_WizardTest)->Arg(0)->Arg(40);

}  // namespace

BENCHMARK_MAIN();
