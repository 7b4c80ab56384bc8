// The matrix work at n = 800 as a sheet calculates it, through the xlhost
// program of each build: the Linux build's xlhost, and the Windows build's
// xlhost.exe with zr.xll under wine (native code: wine adds nothing to the
// arithmetic) when that build is there. Each figure is processor time per
// call: the sheet with kCalls calls minus the same sheet without them, best
// of kRounds. The reference (X/numpy) is the numpy or scipy call a user would
// make, on OpenBLAS with one thread, timed the same way in the same run.
// ZR_MATRIX_KERNEL pins the kernel copy of both builds as it does for users;
// ZR_BENCH_LINUX and ZR_BENCH_WINDOWS name other build folders to measure.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/matrix_python.h"

namespace {

constexpr int n = 800;
constexpr int kCalls = 5;
constexpr int kRounds = 3;

// The functions, the matrix each takes (A1 general, A7 positive definite),
// and the numpy or scipy call for the same work.
struct Work {
  const char *function, *input, *python;
};
const Work works[] = {
    {"mtrx_multiply", "A1,A2", "a @ b"},
    {"mtrx_partialPivLU", "A1", "la.lu_factor(a)"},
    {"mtrx_houseHolderQr", "A1", "la.qr(a, mode=\"raw\")"},
    {"mtrx_cholesky", "A7", "la.cholesky(s, lower=True)"},
    {"mtrx_ldlt", "A7", "la.ldl(s)"},
    {"mtrx_eigenVectors", "A7", "np.linalg.eigh(s)"},
};

// A folder holding the sheets, removed at exit: base.sheet makes the
// matrices, <function>.sheet adds kCalls calls.
class Sheets {
 public:
  Sheets() {
    std::string pattern = (std::filesystem::temp_directory_path() / "matrix_sheet_bench.XXXXXX").string();
    dir_ = mkdtemp(&pattern[0]) ? pattern : std::string();
    if (dir_.empty()) return;
    const std::string size = std::to_string(n);
    const std::string base = "A1 =mtrx_random(" + size + "," + size + ")\nA2 =mtrx_random(" + size + "," + size +
                             ")\nA3 =mtrx_transpose(A2)\nA4 =mtrx_multiply(A2,A3)\nA5 =mtrx_identity(" + size +
                             "," + size + ")\nA6 =mtrx_multiplyConst(A5," + size + ")\nA7 =mtrx_add(A4,A6)\n";
    std::ofstream(path("base")) << base;
    for (const Work& w : works) {
      std::ofstream sheet(path(w.function));
      sheet << base;
      for (int i = 1; i <= kCalls; ++i) sheet << "B" << i << " =" << w.function << "(" << w.input << ")\n";
    }
  }
  ~Sheets() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  bool ok() const { return !dir_.empty(); }
  std::string path(const std::string& name) const { return dir_ + "/" + name + ".sheet"; }

 private:
  std::string dir_;
};

const Sheets& sheets() {
  static const Sheets s;
  return s;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Processor seconds (user and system) of the children waited for so far.
double childSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// Processor seconds of one run of command on a sheet; its output must hold
// no error value. Negative when it fails.
double run(const std::string& command, const std::string& sheet) {
  const double start = childSeconds();
  FILE* p = popen((command + " --tsv " + quoted(sheet) + " 2>&1").c_str(), "r");
  if (p == nullptr) return -1;
  std::string out;
  char buf[4096];
  for (size_t got; (got = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, got);
  const bool ok = pclose(p) == 0 && out.find("\terr\t") == std::string::npos;
  return ok ? childSeconds() - start : -1;
}

// Per call: the best round of the sheet with the calls minus the best round
// of the sheet without them.
void throughXlhost(benchmark::State& state, const std::string& command, const char* function) {
  if (!sheets().ok()) return state.SkipWithError("no temporary folder");
  for (auto _ : state) {
    if (run(command, sheets().path("base")) < 0) return state.SkipWithError("xlhost failed");  // warm
    double with = 1e9, without = 1e9;
    for (int r = 0; r < kRounds; ++r) {
      const double a = run(command, sheets().path(function)), b = run(command, sheets().path("base"));
      if (a < 0 || b < 0) return state.SkipWithError("xlhost failed");
      with = std::min(with, a);
      without = std::min(without, b);
    }
    state.SetIterationTime(std::max(with - without, 0.0) / kCalls);
  }
}

void python(benchmark::State& state, const char* expression) {
  for (auto _ : state) {
    const double seconds = zrbench::pythonSeconds(expression, n, 12345, true);
    if (seconds <= 0) return state.SkipWithError("python failed");
    state.SetIterationTime(seconds);
  }
}

// The folder an environment variable names, else the default.
std::string folder(const char* variable, const std::string& otherwise) {
  const char* set = std::getenv(variable);
  return set != nullptr && *set != '\0' ? set : otherwise;
}

void registerAll() {
  const std::string lin = folder("ZR_BENCH_LINUX", ""), win = folder("ZR_BENCH_WINDOWS", ZR_WINDOWS_BUILD);
  std::string onLinux = lin.empty() ? quoted(XLHOST) + " --addin " + quoted(ZR_XLL)
                                    : quoted(lin + "/host/xlhost") + " --addin " + quoted(lin + "/zr.xll"),
              windows;
  if (std::filesystem::exists(win + "/xlhost.exe") && std::filesystem::exists(win + "/zr.xll"))
    windows = "env WINEDEBUG=-all WINEPREFIX=" + quoted(win + "/wine") + " WINEDLLOVERRIDES=mscoree,mshtml= wine " +
              quoted(win + "/xlhost.exe") + " --addin " + quoted(win + "/zr.xll");
  for (const Work& w : works) {
    const std::string name = w.function;
    auto add = [](const std::string& label, auto fn) {
      benchmark::RegisterBenchmark(label.c_str(), fn)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
    };
    add(name + "/numpy", [w](benchmark::State& s) { python(s, w.python); });
    add(name + "/xlhost", [w, onLinux](benchmark::State& s) { throughXlhost(s, onLinux, w.function); });
    if (!windows.empty())
      add(name + "/xlhost.exe", [w, windows](benchmark::State& s) { throughXlhost(s, windows, w.function); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  registerAll();
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
