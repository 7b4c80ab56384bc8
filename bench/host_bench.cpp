// The simulated host's calculation of a chain of cells, each reading the one
// below (A1 =A2, A2 =A3, ..., a number at the bottom): entering and
// calculating the sheet, and calculating it all again.
#include <benchmark/benchmark.h>

#include <string>

#include "host/host.h"

namespace {

void enterChain(xlsim::Host& host, int rows) {
  host.clearSheet();
  for (int r = 1; r < rows; ++r) host.setCell("A" + std::to_string(r), "=A" + std::to_string(r + 1));
  host.setCell("A" + std::to_string(rows), "7");
}

void check(benchmark::State& state, const xlsim::Host& host) {
  if (host.value("A1") != xlsim::Value::number(7)) state.SkipWithError("the chain did not calculate");
}

void BM_EnterAndCalculate(benchmark::State& state) {
  xlsim::Host host;
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    enterChain(host, rows);
    host.calculate();
  }
  check(state, host);
  state.SetComplexityN(rows);
}

void BM_Calculate(benchmark::State& state) {
  xlsim::Host host;
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    enterChain(host, rows);
    state.ResumeTiming();
    host.calculate();
  }
  check(state, host);
  state.SetComplexityN(rows);
}

void BM_Recalculate(benchmark::State& state) {
  xlsim::Host host;
  const int rows = static_cast<int>(state.range(0));
  enterChain(host, rows);
  host.calculate();
  for (auto _ : state) host.recalculate();
  check(state, host);
  state.SetComplexityN(rows);
}

}  // namespace

BENCHMARK(BM_EnterAndCalculate)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Calculate)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Recalculate)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
