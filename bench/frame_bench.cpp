// The fixed cost of the worksheet-function frame: the floating-point state,
// clearing the cell's message, the function-wizard test over a few dozen
// windows, the persistent result; against the same work without the frame,
// and the frame against itself without its floating-point state.
#include <benchmark/benchmark.h>

#include "analytics/black_scholes_option.h"
#include "bench/scripted_host.h"
#include "platform/fpstate.h"
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

// The frame without its floating-point state: the reference of the two above and below.
void BM_DeltaFramedNoFpState(benchmark::State& state) {
  ScriptedHost host(static_cast<int>(state.range(0)));
  host.setCaller("[Book1]Sheet1!$B$2");
  static OPER result;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        xll::frame_detail::inCallersFpState(result, [] { result = option.delta(); }, xll::fullFrame));
}
BENCHMARK(BM_DeltaFramedNoFpState)->Arg(0)->Arg(40);

// Called from a thread at 53-bit x87 precision, as in the real host: the
// frame writes the control word on the way in and out.
void BM_DeltaFramedFrom53Bits(benchmark::State& state) {
  ScriptedHost host(static_cast<int>(state.range(0)));
  host.setCaller("[Book1]Sheet1!$B$2");
  static OPER result;
  platform::FpState caller;
  caller.x87 = 0x027F;
  platform::FpScope callers(caller);
  for (auto _ : state) benchmark::DoNotOptimize(xll::framed(result, [] { result = option.delta(); }));
}
BENCHMARK(BM_DeltaFramedFrom53Bits)->Arg(0)->Arg(40);

// The frame's parts on their own. The floating-point state: read only when
// the caller's is the standard one, written in and out when it is not.
void BM_FpScope(benchmark::State& state) {
  for (auto _ : state) {
    platform::FpScope standard;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FpScope);

void BM_FpScopeFrom53Bits(benchmark::State& state) {
  platform::FpState caller;
  caller.x87 = 0x027F;
  platform::FpScope callers(caller);
  for (auto _ : state) {
    platform::FpScope standard;
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FpScopeFrom53Bits);

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
