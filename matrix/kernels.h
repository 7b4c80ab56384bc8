// The dense kernels of the matrix library over raw row-major arrays: the
// product and the decompositions. kernels.cpp is built once per instruction
// set (see CMakeLists.txt), each copy with Eigen under its own namespace, and
// the fastest copy the processor can run is chosen at run time. Nothing of
// Eigen crosses these functions. Each copy gives the same bits for the same
// values wherever they lie in memory; copies may differ in the last bits.
#pragma once

#include <cstdint>

namespace ZR {

enum class Kernel { Baseline, Avx2Fma, Avx512 };

struct Kernels {
  // c (m x n) = a (m x k) b (k x n); c must not overlap a or b.
  void (*product)(const double* a, const double* b, double* c, std::int64_t m, std::int64_t k, std::int64_t n);
  // The partial-pivot LU of n x n a, packed into a in place; its determinant.
  double (*partialPivLU)(double* a, std::int64_t n);
  // The Householder QR of rows x cols a, packed into a in place.
  void (*householderQr)(double* a, std::int64_t rows, std::int64_t cols);
  // Symmetric n x n s replaced by its Cholesky factor L, or by U = L^T; false
  // when s is not positive definite.
  bool (*cholesky)(double* s, std::int64_t n, bool upper);
  // Symmetric n x n s replaced by a factor of its pivoted LDL^T: 0 the unit
  // lower L, 1 U = L^T, 2 D as a dense diagonal matrix; false on a numerical
  // issue.
  bool (*ldlt)(double* s, std::int64_t n, int factor);
  // Of symmetric n x n s: the eigenvalues in increasing order (n values) and
  // the unit eigenvectors as the columns of vectors (n x n, which may be s);
  // false when the iteration did not converge.
  bool (*selfAdjointEigen)(const double* s, std::int64_t n, double* values, double* vectors);
};

// Whether this build has the kernel and the processor can run it (Baseline
// always can).
bool kernelRuns(Kernel kernel);

// The kernel the library uses: the one the environment variable
// ZR_MATRIX_KERNEL names (baseline, avx2fma, avx512) when it runs here, else
// Baseline; the fastest that runs here when the variable is unset. Read once.
Kernel bestKernel();

// The kernel's functions, or Baseline's when that kernel cannot run here.
const Kernels& kernels(Kernel kernel = bestKernel());

}  // namespace ZR
