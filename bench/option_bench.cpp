// bsopt_delta framed and called through the simulated host, against the
// option's delta computed directly, in the same run.
#include <benchmark/benchmark.h>

#include "analytics/black_scholes_option.h"
#include "host/host.h"

namespace {

void BM_DeltaDirect(benchmark::State& state) {
  QA::BlackScholesOption option(100, 100, 0.2, 0.05, 0.01, 1, true);
  for (auto _ : state) benchmark::DoNotOptimize(option.delta());
}
BENCHMARK(BM_DeltaDirect);

// The host calls the registered procedure for cell B1; range(0) top-level
// windows stand beside the host's main window.
void BM_DeltaThroughHost(benchmark::State& state) {
  standin::reset();
  xlsim::Host host;
  if (!host.load(ZR_XLL)) state.SkipWithError("zr.xll did not load");
  for (int i = 0; i < state.range(0); ++i)
    host.openWindow(i % 2 ? "EXCEL7" : "XLDESK", "", i % 3 ? host.mainWindow() : nullptr);
  xlsim::Value handle = host.call("bsopt_create",
                                  {100, 100, 0.2, 0.05, 0.01, 1, xlsim::Value::boolean(true)}, "A1");
  std::vector<xlsim::Arg> args{handle};
  for (auto _ : state) benchmark::DoNotOptimize(host.call("bsopt_delta", args, "B1"));
}
BENCHMARK(BM_DeltaThroughHost)->Arg(0)->Arg(40);

// The host's own cost of a call: a registered function that does nothing
// but the frame and a constant.
void BM_VersionThroughHost(benchmark::State& state) {
  standin::reset();
  xlsim::Host host;
  if (!host.load(ZR_XLL)) state.SkipWithError("zr.xll did not load");
  for (auto _ : state) benchmark::DoNotOptimize(host.call("hf_xllversion", {}, "B1"));
}
BENCHMARK(BM_VersionThroughHost);

}  // namespace

BENCHMARK_MAIN();
