// Coefficient-wise operations on two 1000 x 1000 matrices, each figure a
// ratio against its reference timed in the same run:
// - the worksheet function called by the simulated host for one cell (frame,
//   lookups, the operation and the pooled result, whose allocation and
//   holder copy count; two cells take turns, so that each insertion frees
//   the cell's previous result as on a sheet: the pool frees nothing while
//   one cell calls again and again),
//   and the library call alone, against numpy's same operation timed by
//   /usr/bin/python3;
// - mtrx_row and mtrx_block the same way against a copy of the whole
//   operand, which they must not make.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host.h"
#include "matrix/cwise.h"

namespace {

using xlsim::Value;
using Clock = std::chrono::steady_clock;
constexpr int n = 1000;

// Seconds per call of numpy's operation on two n x n matrices, best of five.
double numpySeconds(const std::string& expression) {
  static std::map<std::string, double> seconds;
  auto known = seconds.find(expression);
  if (known != seconds.end()) return known->second;
  const std::string script =
      "import numpy as np, timeit\n"
      "a = np.random.rand(" + std::to_string(n) + ", " + std::to_string(n) + ") * 2 - 1\n"
      "b = np.random.rand(" + std::to_string(n) + ", " + std::to_string(n) + ") * 2 - 1\n"
      "print(min(timeit.repeat(lambda: " + expression + ", number=20, repeat=5)) / 20)\n";
  FILE* p = popen(("/usr/bin/python3 -c '" + script + "'").c_str(), "r");
  double s = 0;
  if (p == nullptr || std::fscanf(p, "%lf", &s) != 1) s = 0;
  if (p != nullptr) pclose(p);
  return seconds[expression] = s;
}

// The add-in in a live host with two random n x n matrices in A1 and A2.
struct Sheet {
  xlsim::Host host;
  Value a, b;
  Sheet() {
    std::string error;
    if (!host.load(ZR_XLL, &error)) throw std::runtime_error(error);
    a = host.call("mtrx_random", {n, n}, "A1");
    b = host.call("mtrx_random", {n, n}, "A2");
  }
};

Sheet& sheet() {
  static Sheet s;
  return s;
}

// Runs call() in the benchmark loop; its mean time per call.
template <class Call>
double timed(benchmark::State& state, Call call) {
  const Clock::time_point start = Clock::now();
  for (auto _ : state) call();
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  return state.iterations() ? total / state.iterations() : 0;
}

void functionVsNumpy(benchmark::State& state, const char* function, const char* numpy) {
  Sheet& s = sheet();
  Value r;
  bool other = false;
  const double t = timed(state, [&] { r = s.host.call(function, {s.a, s.b}, (other = !other) ? "B1" : "C1"); });
  if (!r.is(Value::Text)) return state.SkipWithError("no handle");
  state.counters["vs_numpy"] = t / numpySeconds(numpy);
}

void libraryVsNumpy(benchmark::State& state, ZR::Cwise op, const char* numpy) {
  const ZR::Matrix a = ZR::Matrix::Random(n, n), b = ZR::Matrix::Random(n, n);
  const double t = timed(state, [&] { benchmark::DoNotOptimize(ZR::cwise(op, a, b).data()); });
  state.counters["vs_numpy"] = t / numpySeconds(numpy);
}

// mtrx_row / mtrx_block against copying the operand.
void readVsCopy(benchmark::State& state, const char* function, std::vector<xlsim::Arg> args) {
  Sheet& s = sheet();
  args.insert(args.begin(), s.a);
  Value r;
  bool other = false;
  const double t = timed(state, [&] { r = s.host.call(function, args, (other = !other) ? "B2" : "C2"); });
  if (!r.is(Value::Text)) return state.SkipWithError("no handle");
  const ZR::Matrix m = ZR::Matrix::Random(n, n);
  constexpr int copies = 50;
  const Clock::time_point start = Clock::now();
  for (int k = 0; k < copies; ++k) {
    ZR::Matrix copy = m;
    benchmark::DoNotOptimize(copy.data());
  }
  state.counters["vs_copy"] = t / (std::chrono::duration<double>(Clock::now() - start).count() / copies);
}

void BM_CwiseMin_Sheet(benchmark::State& s) { functionVsNumpy(s, "mtrx_cwiseMin", "np.minimum(a, b)"); }
void BM_CwiseMax_Sheet(benchmark::State& s) { functionVsNumpy(s, "mtrx_cwiseMax", "np.maximum(a, b)"); }
void BM_CwiseProd_Sheet(benchmark::State& s) { functionVsNumpy(s, "mtrx_cwiseProd", "a * b"); }
void BM_CwiseQuot_Sheet(benchmark::State& s) { functionVsNumpy(s, "mtrx_cwiseQuot", "a / b"); }
void BM_CwiseMin_Library(benchmark::State& s) { libraryVsNumpy(s, ZR::Cwise::Min, "np.minimum(a, b)"); }
void BM_CwiseProd_Library(benchmark::State& s) { libraryVsNumpy(s, ZR::Cwise::Prod, "a * b"); }
void BM_Row_Sheet(benchmark::State& s) { readVsCopy(s, "mtrx_row", {500}); }
void BM_Block_Sheet(benchmark::State& s) { readVsCopy(s, "mtrx_block", {100, 100, 10, 10}); }

BENCHMARK(BM_CwiseMin_Sheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CwiseMax_Sheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CwiseProd_Sheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CwiseQuot_Sheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CwiseMin_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CwiseProd_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Row_Sheet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Block_Sheet)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
