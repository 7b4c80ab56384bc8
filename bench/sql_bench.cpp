// Loading 65,534 records of 10 columns and running a grouped query, against
// the sqlite3 shell's .import of the same CSV with the same query: every
// iteration runs the shell, then ours; "x_shell" is our time over the
// shell's. Ours: a sheet of the simulated host calculated again, the four
// functions called through the host, the exported procedures called
// directly, and the library alone. The echo of the load goes to /dev/null.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/scripted_host.h"
#include "host/host.h"
#include "sql/db_context.h"

namespace {

using Clock = std::chrono::steady_clock;
using xlsim::Value;

constexpr int records = 65534, columns = 10;
const char* const headings[columns] = {"region", "product", "units", "price", "v4", "v5", "v6", "v7", "v8", "v9"};
const std::string query =
    "select region, count(*), sum(units), avg(price), max(v7) from t group by region order by region";

std::string cellName(int row, int column) {
  return std::string(1, static_cast<char>('A' + column)) + std::to_string(row + 1);
}

// The data as a table, and as a CSV file with a shell script in a folder of
// its own.
struct Data {
  ZR::Table table{records + 1, columns};
  std::filesystem::path dir;

  Data() {
    char pattern[] = "/tmp/zr_sql_bench_XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    dir = pattern;
    std::ofstream csv(dir / "data.csv"), script(dir / "load.sql");
    std::string create = "create table t ( ";
    for (int j = 0; j < columns; ++j) {
      table(0, j) = ZR::Cell::of(headings[j]);
      csv << headings[j] << (j + 1 < columns ? ',' : '\n');
      create += std::string(headings[j]) + (j < 2 ? " TEXT " : " REAL ") + (j + 1 < columns ? "," : ");");
    }
    char number[32];
    for (int i = 1; i <= records; ++i) {
      table(i, 0) = ZR::Cell::of("region" + std::to_string(i % 8));
      table(i, 1) = ZR::Cell::of("product" + std::to_string(i * 7 % 50));
      table(i, 2) = ZR::Cell::of(i * 37 % 1000);
      table(i, 3) = ZR::Cell::of((i * 7919 % 10000) / 100.0);
      for (int j = 4; j < columns; ++j) table(i, j) = ZR::Cell::of(i * 0.001 + j / 3.0);
      for (int j = 0; j < columns; ++j) {
        const ZR::Cell& c = table(i, j);
        if (c.kind == ZR::Cell::Text) {
          csv << c.text;
        } else {
          std::snprintf(number, sizeof number, "%.17g", c.number);
          csv << number;
        }
        csv << (j + 1 < columns ? ',' : '\n');
      }
    }
    script << create << "\n.import --csv --skip 1 data.csv t\n" << query << ";\n";
  }
  ~Data() { std::filesystem::remove_all(dir); }
};

Data& data() {
  static Data d;
  return d;
}

// The data as the host's value of a range.
Value rangeValue() {
  const ZR::Table& t = data().table;
  std::vector<Value> cells;
  for (int i = 0; i <= records; ++i)
    for (int j = 0; j < columns; ++j) {
      const ZR::Cell& c = t(i, j);
      cells.push_back(c.kind == ZR::Cell::Text ? Value::text(c.text) : Value::number(c.number));
    }
  return Value::array(records + 1, columns, std::move(cells));
}

// The shell's .import of the CSV and the query, its answer discarded.
void runShell() {
  static const std::string command = "cd " + data().dir.string() + " && sqlite3 :memory: < load.sql > /dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("sqlite3 failed");
}

// Each iteration runs the shell, then body with the standard output sent to
// /dev/null; the iteration's time is body's, x_shell the ratio of the sums.
template <class Body>
void againstShell(benchmark::State& state, Body body) {
  std::ofstream null("/dev/null");
  double mine = 0, shell = 0;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    runShell();
    const Clock::time_point t1 = Clock::now();
    std::streambuf* out = std::cout.rdbuf(null.rdbuf());
    body();
    std::cout.rdbuf(out);
    const Clock::time_point t2 = Clock::now();
    shell += std::chrono::duration<double>(t1 - t0).count();
    mine += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
  }
  state.counters["shell_ms"] = 1000 * shell / static_cast<double>(state.iterations());
  state.counters["x_shell"] = mine / shell;
}

// The sheet: the range in cells A1:J65535 and four formulas, calculated again.
void BM_Sheet(benchmark::State& state) {
  xlsim::Host host;
  std::string error;
  if (!host.load(ZR_XLL, &error)) throw std::runtime_error(error);
  const Value range = rangeValue();
  for (int i = 0; i <= records; ++i)
    for (int j = 0; j < columns; ++j) host.setValue(cellName(i, j), range.at(i, j));
  host.setCell("L1", "=tbl_createTbl(\"t\", A1:J65535)");
  host.setCell("L2", "=dbctx_create(L1)");
  host.setCell("L3", "=dbctx_execute(L2, \"" + query + "\", \"r\")");
  host.setCell("N1:R9", "=tbl_displayTbl(L3)");
  againstShell(state, [&] { host.recalculate(); });
  if (host.value("N9").str != "region7") state.SkipWithError("no answer");
}

// The four functions called through the host, the range passed as a value.
void BM_Functions_Call(benchmark::State& state) {
  xlsim::Host host;
  std::string error;
  if (!host.load(ZR_XLL, &error)) throw std::runtime_error(error);
  const std::vector<xlsim::Arg> args{Value::text("t"), rangeValue()};
  Value answer;
  againstShell(state, [&] {
    const Value table = host.call("tbl_createTbl", args, "L1");
    const Value context = host.call("dbctx_create", {table}, "L2");
    const Value result = host.call("dbctx_execute", {context, Value::text(query), Value::text("r")}, "L3");
    answer = host.call("tbl_displayTbl", {result}, "L4");
  });
  if (answer.rows != 9) state.SkipWithError("no answer");
}

// The four exported procedures called directly, as the host calls them, with
// the range made once as a host value: the frame, the pool, the copies in
// and out, the load and the query, without the simulated host's own copies.
void BM_Functions_Procedure(benchmark::State& state) {
  ScriptedHost host;
  void* addin = dlopen(ZR_XLL, RTLD_NOW | RTLD_LOCAL);
  if (!addin) throw std::runtime_error(dlerror());
  using Create = LPXLOPER (*)(char*, LPXLOPER, LPXLOPER);
  using Context = LPXLOPER (*)(char*, char*, char*, char*, char*, char*, char*, char*, char*, char*, LPXLOPER);
  using Execute = LPXLOPER (*)(char*, char*, char*, LPXLOPER);
  using Display = LPXLOPER (*)(char*, LPXLOPER);
  auto create = reinterpret_cast<Create>(dlsym(addin, "?tbl_createTbl"));
  auto context = reinterpret_cast<Context>(dlsym(addin, "?dbctx_create"));
  auto execute = reinterpret_cast<Execute>(dlsym(addin, "?dbctx_execute"));
  auto display = reinterpret_cast<Display>(dlsym(addin, "?tbl_displayTbl"));
  xlsim::HostOper range(rangeValue());
  xlsim::HostOper missing(Value::missing());
  std::string sql = query, name = "t", answerName = "r", none;
  // The handle text a procedure returned.
  auto text = [](LPXLOPER x) { return x->xltype == xltypeStr ? std::string(x->val.str + 1, x->val.str[0]) : ""; };
  LPXLOPER shown = nullptr;
  againstShell(state, [&] {
    host.setCaller("[Book1]Sheet1!$L$1");
    std::string table = text(create(&name[0], range, missing));
    host.setCaller("[Book1]Sheet1!$L$2");
    std::string db = text(context(&table[0], &none[0], &none[0], &none[0], &none[0], &none[0], &none[0],
                                  &none[0], &none[0], &none[0], missing));
    host.setCaller("[Book1]Sheet1!$L$3");
    std::string answer = text(execute(&db[0], &sql[0], &answerName[0], missing));
    host.setCaller("[Book1]Sheet1!$L$4");
    shown = display(&answer[0], missing);
  });
  if (shown->xltype != xltypeMulti || shown->val.array.rows != 9) state.SkipWithError("no answer");
  dlclose(addin);
}

void BM_Library(benchmark::State& state) {
  againstShell(state, [&] {
    ZR::DBContext db;
    db.createTable("t", data().table);
    benchmark::DoNotOptimize(db.query(query.c_str()));
  });
}

BENCHMARK(BM_Sheet)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Functions_Call)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Functions_Procedure)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Library)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
