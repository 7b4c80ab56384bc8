// A price history of 100 to 10,000 daily rows from a local server: the whole
// worksheet call (fetch, cutting, one xlfValue per field) against the fetch
// alone.
#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>
#include <string>

#include "datasource/http.h"
#include "host/host.h"
#include "tests/datasource/local_server.h"

namespace {

std::string history(int rows) {
  std::string s =
      "HTTP/1.0 200 OK\r\nContent-Type: text/csv\r\n\r\nDate,Open,High,Low,Close,Volume,Adj Close\n";
  for (int i = 0; i < rows; ++i) s += "2010-01-15,132.03,132.89,131.09,131.78,8494400,120.42\n";
  return s;
}

void BM_FetchAlone(benchmark::State& state) {
  dstest::LocalServer server(dstest::LocalServer::Reply, history(int(state.range(0))));
  std::ostringstream log;
  for (auto _ : state) benchmark::DoNotOptimize(ZR::http_get("127.0.0.1", server.port(), "/", log));
}
BENCHMARK(BM_FetchAlone)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond);

void BM_HistoryThroughHost(benchmark::State& state) {
  dstest::LocalServer server(dstest::LocalServer::Reply, history(int(state.range(0))));
  standin::reset();
  xlsim::Host host;
  if (!host.load(ZR_DS_PROBE)) state.SkipWithError("the add-in did not load");
  auto point = reinterpret_cast<void (*)(const char*, const char*, int)>(host.symbol("zr_ds_point"));
  point("127.0.0.1", server.port().c_str(), 10000);
  const std::vector<xlsim::Arg> args{xlsim::Value::text("IBM"), xlsim::Value::number(40193),
                                     xlsim::Value::number(40602), xlsim::Value::text(""),
                                     xlsim::Value::boolean(false)};
  std::streambuf* out = std::cout.rdbuf(nullptr);  // the client's header echo
  for (auto _ : state) benchmark::DoNotOptimize(host.call("source_yahoo_historical", args, "A1"));
  std::cout.rdbuf(out);
  std::cout.clear();
}
BENCHMARK(BM_HistoryThroughHost)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
