// mtrx_multiply through the simulated host against OpenBLAS's dgemm on the
// same data (one thread each), the peak memory of one such product, and a
// small product against the frame's cost of a call that does nothing.
#include <benchmark/benchmark.h>
#include <cblas.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "host/host.h"
#include "matrix/creation.h"

namespace {

constexpr int kN = 800;

// On a shared machine the fastest of several repetitions is the steadiest
// figure (run with --benchmark_repetitions=N).
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Kilobytes of a line of /proc/self/status ("VmRSS", "VmHWM").
long statusKb(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, key.size() + 1, key + ":") == 0) return std::stol(line.substr(key.size() + 1));
  return -1;
}

// The host with two random n x n matrices in A1 and B1.
struct Loaded {
  xlsim::Host host;
  xlsim::Value a, b;
  explicit Loaded(int n) {
    standin::reset();
    if (!host.load(ZR_XLL)) throw std::runtime_error("zr.xll did not load");
    a = host.call("mtrx_random", {n, n}, "A1");
    b = host.call("mtrx_random", {n, n}, "B1");
  }
};

void BM_MultiplyThroughHost(benchmark::State& state) {
  standin::reset();
  Loaded l(kN);
  std::vector<xlsim::Arg> args{l.a, l.b};
  for (auto _ : state) benchmark::DoNotOptimize(l.host.call("mtrx_multiply", args, "C1"));
  state.counters["GFLOPS"] = benchmark::Counter(2.0 * kN * kN * kN, benchmark::Counter::kIsIterationInvariantRate,
                                                benchmark::Counter::kIs1000);
}
BENCHMARK(BM_MultiplyThroughHost)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

void BM_OpenBlasDgemm(benchmark::State& state) {
  openblas_set_num_threads(1);
  ZR::Matrix a = ZR::randomMatrix(kN, kN), b = ZR::randomMatrix(kN, kN), c(kN, kN);
  for (auto _ : state) {
    cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, kN, kN, kN, 1.0, a.data(), kN, b.data(), kN, 0.0,
                c.data(), kN);
    benchmark::DoNotOptimize(c.data());
  }
  state.counters["GFLOPS"] = benchmark::Counter(2.0 * kN * kN * kN, benchmark::Counter::kIsIterationInvariantRate,
                                                benchmark::Counter::kIs1000);
}
BENCHMARK(BM_OpenBlasDgemm)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

// Peak resident memory that one product adds, in matrices of n x n doubles
// (the operands are already there; the result is one more).
void BM_MultiplyPeakMemory(benchmark::State& state) {
  Loaded l(kN);
  std::vector<xlsim::Arg> args{l.a, l.b};
  l.host.call("mtrx_multiply", args, "D1");  // warm: the pool and the host's arenas
  l.host.call("mtrx_zero", {1, 1}, "D1");    // frees the result again
  double matrices = 0;
  for (auto _ : state) {
    std::ofstream("/proc/self/clear_refs") << "5";  // VmHWM back to VmRSS
    const long before = statusKb("VmRSS");
    l.host.call("mtrx_multiply", args, "D1");
    matrices = (statusKb("VmHWM") - before) * 1024.0 / (8.0 * kN * kN);
    l.host.call("mtrx_zero", {1, 1}, "D1");
  }
  state.counters["added_matrices"] = matrices;
  state.counters["peak_matrices_with_operands"] = matrices + 2;
}
BENCHMARK(BM_MultiplyPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Two 4 x 4 handles multiplied, the result pooled for the cell.
void BM_SmallMultiplyThroughHost(benchmark::State& state) {
  Loaded l(4);
  std::vector<xlsim::Arg> args{l.a, l.b};
  for (auto _ : state) benchmark::DoNotOptimize(l.host.call("mtrx_multiply", args, "C1"));
}
BENCHMARK(BM_SmallMultiplyThroughHost);

// A lookup and a number: the part of a small call that stores nothing.
void BM_RowsThroughHost(benchmark::State& state) {
  Loaded l(4);
  std::vector<xlsim::Arg> args{l.a};
  for (auto _ : state) benchmark::DoNotOptimize(l.host.call("mtrx_rows", args, "C1"));
}
BENCHMARK(BM_RowsThroughHost);

// The reference: a framed function that only returns a constant.
void BM_NoOpThroughHost(benchmark::State& state) {
  Loaded l(1);
  for (auto _ : state) benchmark::DoNotOptimize(l.host.call("hf_xllversion", {}, "C1"));
}
BENCHMARK(BM_NoOpThroughHost);

}  // namespace

BENCHMARK_MAIN();
