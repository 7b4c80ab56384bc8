// Each decomposition of the matrix library at n = 1000 against the LAPACK
// routine that does the same work (OpenBLAS, one thread), on the same data
// in the same run. Both sides copy the input first, as the library does.
// Prints the ratio library time / LAPACK time per decomposition at the end.
#include <benchmark/benchmark.h>
#include <cblas.h>
#include <lapacke.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "matrix/lu.h"
#include "matrix/qr.h"
#include "matrix/symmetric.h"

// LAPACK's LU with complete pivoting, which LAPACKE does not wrap.
extern "C" void dgetc2_(const lapack_int* n, double* a, const lapack_int* lda, lapack_int* ipiv,
                        lapack_int* jpiv, lapack_int* info);

namespace {

using ZR::Matrix;
constexpr int n = 1000;

struct Data {
  Matrix general, spd;
  std::vector<double> generalCol, spdCol;  // the same values, column-major
  Data() {
    std::srand(12345);
    general = Matrix::Random(n, n);
    const Matrix b = Matrix::Random(n, n);
    spd = b * b.transpose() + n * Matrix::Identity(n, n);
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
  add("LDLT/lapack", [&](benchmark::State& s) {  // dsytrf: Bunch-Kaufman pivoting
    lapack(s, d.spdCol, [](double* a, lapack_int* p, lapack_int*, double*, double*) {
      return LAPACKE_dsytrf(C, 'L', n, a, n, p);
    });
  });
  add("EigenVectors/library", [&](benchmark::State& s) { library(s, [&] { return ZR::eigenVectors(d.spd); }); });
  add("EigenVectors/lapack", [&](benchmark::State& s) {  // dsyev: tridiagonal QR iteration
    lapack(s, d.spdCol, [](double* a, lapack_int*, lapack_int*, double*, double* w) {
      return LAPACKE_dsyev(C, 'V', 'L', n, a, n, w);
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
  // Names are "Decomposition/library/..." and "Decomposition/lapack/...".
  std::map<std::string, double> ours, theirs;
  for (const auto& [name, t] : collector.seconds) {
    const std::string base = name.substr(0, name.find('/'));
    (name.find("/library") != std::string::npos ? ours : theirs)[base] = t;
  }
  std::printf("\n%-24s %s\n", "decomposition", "library / LAPACK");
  for (const auto& [base, t] : ours)
    if (theirs.count(base)) std::printf("%-24s %.2f\n", base.c_str(), t / theirs[base]);
  return 0;
}
