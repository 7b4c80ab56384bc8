// Calendar worksheet functions per call: through the simulated host (name
// lookup, argument conversion, caller), the exported procedure called
// directly (the frame and the handle lookup), and the library call alone.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

#include "calendar/calendars.h"
#include "host/host.h"

namespace {

using xlsim::Value;

constexpr int first = 1, last = 73050;  // the supported range
constexpr int start = 40000;            // Friday 6 July 2009
constexpr int steps = 10000;

// The add-in loaded into a live host, with one UK calendar in A1.
struct Sheet {
  xlsim::Host host;
  Value handle;
  Sheet() {
    std::string error;
    if (!host.load(ZR_XLL, &error)) throw std::runtime_error(error);
    host.setCell("A1", "=date_Calendar(\"UK\")");
    host.calculate();
    handle = host.value("A1");
  }
};

Sheet& sheet() {
  static Sheet s;
  return s;
}

void viaHost(benchmark::State& state, const char* function, int a, int b) {
  Sheet& s = sheet();
  Value v;
  for (auto _ : state) {
    v = s.host.call(function, {s.handle, a, b}, "B1");
    benchmark::DoNotOptimize(v);
  }
  if (!v.is(Value::Number)) state.SkipWithError("no number");
  state.counters["result"] = v.num;
}

// The exported procedure with the host live but not in the call.
template <class... Ints>
void viaProcedure(benchmark::State& state, const char* procedure, Ints... ints) {
  Sheet& s = sheet();
  using Proc = LPXLOPER (*)(char*, decltype(ints)..., LPXLOPER);
  auto proc = reinterpret_cast<Proc>(s.host.symbol(procedure));
  if (!proc) {
    state.SkipWithError("procedure not exported");
    return;
  }
  char handle[256] = {};
  s.handle.str.copy(handle, sizeof handle - 1);
  xlsim::HostOper missing(Value::missing());
  LPXLOPER r = nullptr;
  for (auto _ : state) {
    r = proc(handle, ints..., missing.get());
    benchmark::DoNotOptimize(r);
  }
  if (r->xltype != xltypeNum) state.SkipWithError("no number");
  else state.counters["result"] = r->val.num;
}

const QA::CalendarUK uk;

void BM_BusDayDiff_Host(benchmark::State& state) { viaHost(state, "date_BusDayDiff", first, last); }
void BM_BusDayDiff_Procedure(benchmark::State& state) {
  viaProcedure(state, "?date_BusDayDiff", first, last);
}
void BM_BusDayDiff_Library(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(uk.businessDayCount(QA::Date(first), QA::Date(last)));
}

void BM_HolidayCount_Host(benchmark::State& state) { viaHost(state, "date_holidayCount", first, last); }
void BM_HolidayCount_Procedure(benchmark::State& state) {
  viaProcedure(state, "?date_holidayCount", first, last);
}
void BM_HolidayCount_Library(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(uk.holidayCount(QA::Date(first), QA::Date(last)));
}

void BM_PlusBusDays_Host(benchmark::State& state) { viaHost(state, "date_plusBusDays", start, steps); }
void BM_PlusBusDays_Procedure(benchmark::State& state) {
  viaProcedure(state, "?date_plusBusDays", start, steps);
}
void BM_PlusBusDays_Library(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(uk.plusBusinessDays(QA::Date(start), steps));
}

BENCHMARK(BM_BusDayDiff_Host);
BENCHMARK(BM_BusDayDiff_Procedure);
BENCHMARK(BM_BusDayDiff_Library);
BENCHMARK(BM_HolidayCount_Host);
BENCHMARK(BM_HolidayCount_Procedure);
BENCHMARK(BM_HolidayCount_Library);
BENCHMARK(BM_PlusBusDays_Host);
BENCHMARK(BM_PlusBusDays_Procedure);
BENCHMARK(BM_PlusBusDays_Library);

}  // namespace

BENCHMARK_MAIN();
