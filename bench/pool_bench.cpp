// The object pool: one insertion and one lookup per call, with many
// distinct calling cells visited in order and in random order.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "bench/scripted_host.h"
#include "pool/handle_factory.h"

namespace {

std::string cellRef(int i) {
  return "[Book1]Sheet1!$" + std::string(1, static_cast<char>('A' + i % 26)) + "$" +
         std::to_string(i / 26 + 1);
}

// Every call comes from one of n cells, the cells visited in order or in a
// fixed random order; each cell replaces its own object and the lookup reads
// the new one.
void insertAndLookup(benchmark::State& state, bool shuffled) {
  const int n = static_cast<int>(state.range(0));
  ScriptedHost host;
  std::vector<std::string> cells;
  cells.reserve(n);
  for (int i = 0; i < n; ++i) cells.push_back(cellRef(i));
  handleFactory& pool = handleFactory::instance();
  // Every cell owns an object before timing starts.
  for (int i = 0; i < n; ++i) {
    host.setCaller(cells[i]);
    pool.insert(boost::any(1.0));
  }
  if (shuffled) std::shuffle(cells.begin(), cells.end(), std::mt19937(7));
  int i = 0;
  for (auto _ : state) {
    host.setCaller(cells[i]);
    OPER handle = pool.insert(boost::any(2.0));
    benchmark::DoNotOptimize(objectFromHandle<double>(handle.text()));
    if (++i == n) i = 0;
  }
  state.counters["objects"] = static_cast<double>(pool.count());
}

void BM_InsertAndLookup(benchmark::State& state) { insertAndLookup(state, false); }
void BM_InsertAndLookupRandom(benchmark::State& state) { insertAndLookup(state, true); }
BENCHMARK(BM_InsertAndLookup)->Arg(1000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_InsertAndLookupRandom)->Arg(1000)->Arg(100000)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();
