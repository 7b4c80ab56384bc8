// Each decomposition of the matrix library at n = 800 against the LAPACK
// routine that does the same work (OpenBLAS, one thread), on the same data
// in the same run: through the simulated host as a user meets it (X/host),
// and the library's function alone (X/library). Both sides copy the input
// first, as the library does. The host's figures also as a ratio to the
// numpy or scipy call a user would make (counter vs_scipy: lu_factor,
// qr(mode="raw"), cholesky, ldl, eigh = dsyevd). Prints the ratios to
// LAPACK's time at the end.
#include <benchmark/benchmark.h>
#include <cblas.h>
#include <lapacke.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/matrix_python.h"
#include "host/host.h"
#include "matrix/algebra.h"
#include "matrix/creation.h"
#include "matrix/lu.h"
#include "matrix/qr.h"
#include "matrix/symmetric.h"

// LAPACK's LU with complete pivoting, which LAPACKE does not wrap.
extern "C" void dgetc2_(const lapack_int* n, double* a, const lapack_int* lda, lapack_int* ipiv,
                        lapack_int* jpiv, lapack_int* info);

namespace {

using ZR::Matrix;
constexpr int n = 800;
constexpr unsigned seed = 12345;

// A general matrix and a symmetric positive definite one, b b^T + n I for a
// second random b, as the host makes them from the same seed.
struct Data {
  Matrix general, spd;
  std::vector<double> generalCol, spdCol;  // the same values, column-major
  Data() {
    std::srand(seed);
    general = ZR::randomMatrix(n, n);
    const Matrix b = ZR::randomMatrix(n, n);
    spd = ZR::add(ZR::multiply(b, ZR::transpose(b)), ZR::multiplyConst(ZR::identityMatrix(n, n), n));
    generalCol = columnMajor(general);
    spdCol = columnMajor(spd);
  }
  static std::vector<double> columnMajor(const Matrix& m) {
    Eigen::MatrixXd c = m;
    return std::vector<double>(c.data(), c.data() + c.size());
  }
};

const Data& data() {
  static const Data d;
  return d;
}

// zr.xll in the simulated host, with the handles of Data's matrices.
struct Sheet {
  bool reset = (standin::reset(), true);  // before the host installs itself
  xlsim::Host host;
  xlsim::Value general, spd;
  Sheet() {
    if (!host.load(ZR_XLL)) throw std::runtime_error("zr.xll did not load");
    std::srand(seed);
    general = host.call("mtrx_random", {n, n}, "A1");
    const xlsim::Value b = host.call("mtrx_random", {n, n}, "A2");
    const xlsim::Value bbt = host.call("mtrx_multiply", {b, host.call("mtrx_transpose", {b}, "A3")}, "A4");
    const xlsim::Value nI = host.call("mtrx_multiplyConst", {host.call("mtrx_identity", {n, n}, "A5"), n}, "A6");
    spd = host.call("mtrx_add", {bbt, nI}, "A7");
  }
};

Sheet& sheet() {
  static Sheet s;
  return s;
}

// The worksheet function on one of the sheet's matrices; two cells take
// turns, so that each result frees the cell's previous one as on a sheet.
// With a python expression, the ratio to it as the counter vs_scipy.
void host(benchmark::State& state, const char* function, bool spd, const char* python) {
  Sheet& s = sheet();
  const std::vector<xlsim::Arg> args{spd ? s.spd : s.general};
  bool other = false;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    if (s.host.call(function, args, (other = !other) ? "B1" : "C1").kind != xlsim::Value::Text)
      return state.SkipWithError(function);
  const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (python && state.iterations())
    state.counters["vs_scipy"] = t / state.iterations() / zrbench::pythonSeconds(python, n, seed);
}

template <class F>
void library(benchmark::State& state, F f) {
  for (auto _ : state) benchmark::DoNotOptimize(f());
}

// Runs f(work) on a fresh copy of the column-major input each time.
template <class F>
void lapack(benchmark::State& state, const std::vector<double>& input, F f) {
  std::vector<double> work(input.size());
  std::vector<lapack_int> ipiv(n), jpiv(n);
  std::vector<double> tau(n), w(n);
  for (auto _ : state) {
    work = input;
    if (f(work.data(), ipiv.data(), jpiv.data(), tau.data(), w.data()) < 0) state.SkipWithError("LAPACK failed");
  }
}

const int C = LAPACK_COL_MAJOR;

void registerAll() {
  const Data& d = data();
  auto add = [](const std::string& name, auto fn) {
    benchmark::RegisterBenchmark(name.c_str(), fn)->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();
  };
  const struct { const char *name, *function; bool spd; const char* python; } throughHost[] = {
      {"PartialPivLU", "mtrx_partialPivLU", false, "la.lu_factor(a)"},
      {"FullPivLU", "mtrx_fullPivLU", false, nullptr},
      {"Inverse", "mtrx_invert", false, "la.inv(a)"},
      {"HouseholderQR", "mtrx_houseHolderQr", false, "la.qr(a, mode=\"raw\")"},
      {"ColPivHouseholderQR", "mtrx_colPivHouseholderQr", false, "la.qr(a, mode=\"raw\", pivoting=True)"},
      {"FullPivHouseholderQR", "mtrx_fullPivHouseholderQr", false, nullptr},
      {"Cholesky", "mtrx_cholesky", true, "la.cholesky(s, lower=True)"},
      {"LDLT", "mtrx_ldlt", true, "la.ldl(s)"},
      {"EigenVectors", "mtrx_eigenVectors", true, "np.linalg.eigh(s)"}};
  for (const auto& h : throughHost)
    add(std::string(h.name) + "/host", [h](benchmark::State& s) { host(s, h.function, h.spd, h.python); });
  add("PartialPivLU/library", [&](benchmark::State& s) { library(s, [&] { return ZR::partialPivLU(d.general); }); });
  add("PartialPivLU/lapack", [&](benchmark::State& s) {
    lapack(s, d.generalCol, [](double* a, lapack_int* p, lapack_int*, double*, double*) {
      return LAPACKE_dgetrf(C, n, n, a, n, p);
    });
  });
  add("FullPivLU/library", [&](benchmark::State& s) { library(s, [&] { return ZR::fullPivLU(d.general); }); });
  add("FullPivLU/lapack", [&](benchmark::State& s) {  // dgetc2: LU with complete pivoting
    lapack(s, d.generalCol, [](double* a, lapack_int* p, lapack_int* q, double*, double*) {
      lapack_int size = n, info = 0;
      dgetc2_(&size, a, &size, p, q, &info);
      return info;
    });
  });
  add("Inverse/library", [&](benchmark::State& s) { library(s, [&] { return ZR::inverse(d.general); }); });
  add("Inverse/lapack", [&](benchmark::State& s) {  // dgetrf then dgetri
    lapack(s, d.generalCol, [](double* a, lapack_int* p, lapack_int*, double*, double*) {
      const lapack_int info = LAPACKE_dgetrf(C, n, n, a, n, p);
      return info < 0 ? info : LAPACKE_dgetri(C, n, a, n, p);
    });
  });
  add("HouseholderQR/library", [&](benchmark::State& s) { library(s, [&] { return ZR::householderQr(d.general); }); });
  add("HouseholderQR/lapack", [&](benchmark::State& s) {
    lapack(s, d.generalCol, [](double* a, lapack_int*, lapack_int*, double* tau, double*) {
      return LAPACKE_dgeqrf(C, n, n, a, n, tau);
    });
  });
  add("ColPivHouseholderQR/library",
      [&](benchmark::State& s) { library(s, [&] { return ZR::colPivHouseholderQr(d.general); }); });
  auto dgeqp3 = [&](benchmark::State& s) {
    lapack(s, d.generalCol, [](double* a, lapack_int*, lapack_int* jpvt, double* tau, double*) {
      std::fill(jpvt, jpvt + n, 0);
      return LAPACKE_dgeqp3(C, n, n, a, n, jpvt, tau);
    });
  };
  add("ColPivHouseholderQR/lapack", dgeqp3);
  add("FullPivHouseholderQR/library", [&](benchmark::State& s) {
    library(s, [&] { return ZR::fullPivHouseholderQr(d.general, ZR::QRFactor::Packed); });
  });
  add("FullPivHouseholderQR/lapack", dgeqp3);  // LAPACK has no full-pivot QR
  add("Cholesky/library", [&](benchmark::State& s) { library(s, [&] { return ZR::cholesky(d.spd, false); }); });
  add("Cholesky/lapack", [&](benchmark::State& s) {
    lapack(s, d.spdCol, [](double* a, lapack_int*, lapack_int*, double*, double*) {
      return LAPACKE_dpotrf(C, 'L', n, a, n);
    });
  });
  add("LDLT/library", [&](benchmark::State& s) { library(s, [&] { return ZR::ldlt(d.spd, ZR::LDLTFactor::D); }); });
  add("LDLT/lapack", [&](benchmark::State& s) {  // dsytrf, as scipy.linalg.ldl: Bunch-Kaufman pivoting
    lapack(s, d.spdCol, [](double* a, lapack_int* p, lapack_int*, double*, double*) {
      return LAPACKE_dsytrf(C, 'L', n, a, n, p);
    });
  });
  add("EigenVectors/library", [&](benchmark::State& s) { library(s, [&] { return ZR::eigenVectors(d.spd); }); });
  add("EigenVectors/lapack", [&](benchmark::State& s) {  // dsyevd, as numpy.linalg.eigh: divide and conquer
    lapack(s, d.spdCol, [](double* a, lapack_int*, lapack_int*, double*, double* w) {
      return LAPACKE_dsyevd(C, 'V', 'L', n, a, n, w);
    });
  });
}

// Keeps each benchmark's time per iteration as well as printing it.
class Collector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    // With repetitions, the median (reported last) is the figure kept.
    for (const Run& r : runs)
      if (r.run_type != Run::RT_Aggregate || r.aggregate_name == "median")
        seconds[r.run_name.function_name] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  openblas_set_num_threads(1);
  benchmark::Initialize(&argc, argv);
  registerAll();
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  // Names are "Decomposition/host", "Decomposition/library" and
  // "Decomposition/lapack".
  std::map<std::string, std::map<std::string, double>> seconds;  // by decomposition, then side
  for (const auto& [name, t] : collector.seconds) {
    const std::size_t slash = name.find('/');
    seconds[name.substr(0, slash)][name.substr(slash + 1, name.find('/', slash + 1) - slash - 1)] = t;
  }
  std::printf("\n%-24s %17s %17s\n", "decomposition", "host / LAPACK", "library / LAPACK");
  for (auto& [base, side] : seconds)
    if (side.count("lapack")) {
      std::printf("%-24s", base.c_str());
      for (const char* ours : {"host", "library"})
        if (side.count(ours))
          std::printf(" %17.2f", side[ours] / side["lapack"]);
        else
          std::printf(" %17s", "-");
      std::printf("\n");
    }
  return 0;
}
