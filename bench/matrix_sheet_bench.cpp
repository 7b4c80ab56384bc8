// The matrix work at n = 800 as a sheet calculates it, through the xlhost
// program of each build: the Linux build's xlhost, and the Windows build's
// xlhost.exe with zr.xll under wine (native code: wine adds nothing to the
// arithmetic) when that build is there. Each figure is processor time per
// call: the sheet with its calls minus the same sheet without them, the
// best of kRounds each; each sheet holds about a second of calls, so that
// the noise of starting a program (tens of ms under wine) stays small. The
// reference (X/numpy) is the numpy or scipy call a user would make, on
// OpenBLAS with one thread, timed the same way in the same run.
// ZR_MATRIX_KERNEL pins the kernel copy of both builds as it does for users;
// ZR_BENCH_LINUX and ZR_BENCH_WINDOWS name other build folders to measure.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/matrix_python.h"
#include "bench/programs.h"

namespace {

constexpr int n = 800;
constexpr int kRounds = 5;

// The functions, the matrices each takes (A1 and A2 general, A7 positive
// definite), the numpy or scipy call for the same work, and the calls a
// sheet holds.
struct Work {
  const char *function, *input, *python;
  bool positiveDefinite;
  int calls;
};
const Work works[] = {
    {"mtrx_multiply", "A1,A2", "a @ b", false, 30},
    {"mtrx_partialPivLU", "A1", "la.lu_factor(a)", false, 40},
    {"mtrx_houseHolderQr", "A1", "la.qr(a, mode=\"raw\")", false, 25},
    {"mtrx_cholesky", "A7", "la.cholesky(s, lower=True)", true, 60},
    {"mtrx_ldlt", "A7", "la.ldl(s)", true, 30},
    {"mtrx_eigenVectors", "A7", "np.linalg.eigh(s)", true, 4},
};

// A folder holding the sheets, removed at exit: general.sheet makes two
// random matrices, definite.sheet also b b^T + n I of the second, and
// <function>.sheet adds its calls to the one its function needs.
class Sheets : public zrbench::TempFolder {
 public:
  Sheets() : TempFolder("matrix_sheet_bench") {
    if (!ok()) return;
    const std::string size = std::to_string(n);
    const std::string general =
                          "A1 =mtrx_random(" + size + "," + size + ")\nA2 =mtrx_random(" + size + "," + size + ")\n",
                      definite = general + "A3 =mtrx_transpose(A2)\nA4 =mtrx_multiply(A2,A3)\nA5 =mtrx_identity(" +
                                 size + "," + size + ")\nA6 =mtrx_multiplyConst(A5," + size +
                                 ")\nA7 =mtrx_add(A4,A6)\n";
    std::ofstream(sheet(base(false))) << general;
    std::ofstream(sheet(base(true))) << definite;
    for (const Work& w : works) {
      std::ofstream calls(sheet(w.function));
      calls << (w.positiveDefinite ? definite : general);
      for (int i = 1; i <= w.calls; ++i) calls << "B" << i << " =" << w.function << "(" << w.input << ")\n";
    }
  }
  static const char* base(bool positiveDefinite) { return positiveDefinite ? "definite" : "general"; }
  std::string sheet(const std::string& name) const { return path(name + ".sheet"); }
};

const Sheets& sheets() {
  static const Sheets s;
  return s;
}

using zrbench::quoted;

// Processor seconds of one run of command on a sheet; its output must hold
// no error value. Negative when it fails.
double run(const std::string& command, const std::string& sheet) {
  const double start = zrbench::childSeconds();
  std::string out;
  const bool ok = zrbench::run(command + " --tsv " + quoted(sheet) + " 2>&1", out);
  return ok && out.find("\terr\t") == std::string::npos ? zrbench::childSeconds() - start : -1;
}

// Per call: the best round of the sheet with the calls minus the best round
// of the sheet without them.
void throughXlhost(benchmark::State& state, const std::string& command, const Work& work) {
  if (!sheets().ok()) return state.SkipWithError("no temporary folder");
  const std::string with = sheets().sheet(work.function), without = sheets().sheet(Sheets::base(work.positiveDefinite));
  for (auto _ : state) {
    if (run(command, without) < 0) return state.SkipWithError("xlhost failed");  // warm
    double best = 1e9, bestWithout = 1e9;
    for (int r = 0; r < kRounds; ++r) {
      const double a = run(command, with), b = run(command, without);
      if (a < 0 || b < 0) return state.SkipWithError("xlhost failed");
      best = std::min(best, a);
      bestWithout = std::min(bestWithout, b);
    }
    state.SetIterationTime(std::max(best - bestWithout, 0.0) / work.calls);
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
    add(name + "/xlhost", [w, onLinux](benchmark::State& s) { throughXlhost(s, onLinux, w); });
    if (!windows.empty())
      add(name + "/xlhost.exe", [w, windows](benchmark::State& s) { throughXlhost(s, windows, w); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  registerAll();
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
