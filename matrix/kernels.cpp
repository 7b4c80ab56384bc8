// The kernels of kernels.h, built once per instruction set: CMake defines
// ZR_KERNEL as the Kernel's name (Baseline, Avx2Fma, Avx512) and the flags.
//
// Eigen is compiled here under a namespace of its own per copy: its inline
// templates instantiated for one instruction set must not share names with
// another copy's, or the linker could keep one copy's code for all callers.
// The #include directive is not macro-expanded, so only the names change.
// What the standard library's headers define inline (std::max, std::isnan)
// is kept to each copy by -fno-weak (CMakeLists.txt).
#include <algorithm>
#include <cstdint>
#include <memory>

#include "matrix/kernels.h"

#define ZR_CAT2(a, b) a##b
#define ZR_CAT(a, b) ZR_CAT2(a, b)
#define Eigen ZR_CAT(ZrEigen, ZR_KERNEL)
#define EIGEN_DONT_PARALLELIZE
// Eigen sizes its product blocks by the registers it assumes: for SSE2 the
// 64-bit mode's 16 in the 32-bit mode too, so that the baseline copies of the
// two modes compute the same sums (kernels_gebp.h makes do with 8).
#if defined(__i386__) && !defined(__AVX__)
#define EIGEN_ARCH_DEFAULT_NUMBER_OF_REGISTERS 16
#endif
#include "matrix/kernels_heap.h"
#include <Eigen/Core>
// Before anything instantiates the product kernel it specialises.
#include "matrix/kernels_gebp.h"

#include <Eigen/Cholesky>
#include <Eigen/Eigenvalues>
#include <Eigen/LU>
#include <Eigen/QR>

namespace ZR {

namespace {

using Index = std::int64_t;
using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using ColMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::ColMajor>;

// Eigen's vectorised loops take scalar steps up to the first aligned packet,
// and those round differently from the packets (FMA, the order of sums): a
// result would depend on where its storage lies. So every array handed to
// Eigen here starts on a 64-byte boundary, the widest packet's: the array
// itself when it does, else a copy.
constexpr std::uintptr_t boundary = 64;

class Aligned {
 public:
  // The size values at values; copied only when copyIn.
  Aligned(const double* values, Index size, bool copyIn = true) : size_(size) {
    if (reinterpret_cast<std::uintptr_t>(values) % boundary == 0) {
      data_ = const_cast<double*>(values);
      return;
    }
    store_.reset(new double[size + boundary / sizeof(double)]);
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(store_.get());
    data_ = reinterpret_cast<double*>((at + boundary - 1) / boundary * boundary);
    if (copyIn) std::copy(values, values + size, data_);
  }
  double* data() const { return data_; }
  // Copies the values to where they came from, if they are a copy.
  void copyTo(double* to) const {
    if (to != data_) std::copy(data_, data_ + size_, to);
  }

 private:
  std::unique_ptr<double[]> store_;
  double* data_;
  Index size_;
};

// Square tiles that two of fit in the first-level cache.
constexpr Index tile = 32;

// to[j n + i] = from[i n + j] for the n x n arrays, tile by tile.
void transpose(const double* from, double* to, Index n) {
  for (Index i0 = 0; i0 < n; i0 += tile)
    for (Index j0 = 0; j0 < n; j0 += tile)
      for (Index i = i0, ie = std::min(i0 + tile, n); i < ie; ++i)
        for (Index j = j0, je = std::min(j0 + tile, n); j < je; ++j) to[j * n + i] = from[i * n + j];
}

// Of row-major n x n m: the strict upper triangle transposed into the strict
// lower one (or the other way round), the triangle it came from zeroed.
void moveStrictTriangle(double* m, Index n, bool upperToLower) {
  for (Index i0 = 0; i0 < n; i0 += tile)
    for (Index j0 = 0; j0 <= i0; j0 += tile)
      for (Index i = i0, ie = std::min(i0 + tile, n); i < ie; ++i)
        for (Index j = j0, je = std::min({j0 + tile, n, i}); j < je; ++j) {
          double& lower = m[i * n + j];
          double& upper = m[j * n + i];
          if (upperToLower)
            lower = upper, upper = 0.0;
          else
            upper = lower, lower = 0.0;
        }
}

// Zeroes the strict lower (or upper) triangle of row-major n x n m.
void zeroStrictTriangle(double* m, Index n, bool lower) {
  for (Index i = 0; i < n; ++i) {
    double* row = m + i * n;
    if (lower)
      std::fill(row, row + i, 0.0);
    else
      std::fill(row + i + 1, row + n, 0.0);
  }
}

void product(const double* a, const double* b, double* c, Index m, Index k, Index n) {
  const heap::Scope scope;
  const Aligned x(a, m * k), y(b, k * n), z(c, m * n, false);
  Eigen::Map<RowMajor>(z.data(), m, n).noalias() =  // an empty inner dimension gives zeros
      Eigen::Map<const RowMajor>(x.data(), m, k) * Eigen::Map<const RowMajor>(y.data(), k, n);
  z.copyTo(c);
}

double partialPivLU(double* a, Index n) {
  const heap::Scope scope;
  const Aligned work(a, n * n);
  Eigen::Map<RowMajor> m(work.data(), n, n);
  const Eigen::PartialPivLU<Eigen::Ref<RowMajor>> lu(m);
  work.copyTo(a);
  return lu.determinant();
}

void householderQr(double* a, Index rows, Index cols) {
  const heap::Scope scope;
  const Aligned work(a, rows * cols);
  Eigen::Map<RowMajor> m(work.data(), rows, cols);
  const Eigen::HouseholderQR<Eigen::Ref<RowMajor>> qr(m);
  work.copyTo(a);
}

// Eigen's blocked Cholesky is fastest on a column-major lower triangle: s,
// symmetric, is read as column-major, so L ends up as U in row-major s. The
// in-place kernel of Eigen's LLT, without the L1 norm that LLT keeps for
// rcond(), a pass across rows.
bool cholesky(double* s, Index n, bool upper) {
  const heap::Scope scope;
  const Aligned work(s, n * n);
  Eigen::Map<ColMajor> m(work.data(), n, n);
  if (Eigen::internal::llt_inplace<double, Eigen::Lower>::blocked(m) != -1) return false;
  if (upper)
    zeroStrictTriangle(work.data(), n, true);
  else
    moveStrictTriangle(work.data(), n, true);
  work.copyTo(s);
  return true;
}

// Eigen's unblocked LDL^T runs along rows: row-major as it comes.
bool ldlt(double* s, Index n, int factor) {
  const heap::Scope scope;
  const Aligned work(s, n * n);
  Eigen::Map<RowMajor> m(work.data(), n, n);
  const Eigen::LDLT<Eigen::Ref<RowMajor>, Eigen::Lower> ldlt(m);
  if (ldlt.info() != Eigen::Success) return false;
  if (factor == 2) {
    const Eigen::VectorXd d = m.diagonal();
    m.setZero();
    m.diagonal() = d;
  } else {
    if (factor == 0)
      zeroStrictTriangle(work.data(), n, false);
    else
      moveStrictTriangle(work.data(), n, false);
    m.diagonal().setOnes();
  }
  work.copyTo(s);
  return true;
}

// The solver's iteration rotates pairs of eigenvector columns: column-major,
// they are contiguous. Its results are copied out value by value.
bool selfAdjointEigen(const double* s, Index n, double* values, double* vectors) {
  const heap::Scope scope;
  Eigen::SelfAdjointEigenSolver<ColMajor> solver(n);
  solver.compute(Eigen::Map<const ColMajor>(Aligned(s, n * n).data(), n, n), Eigen::ComputeEigenvectors);
  if (solver.info() != Eigen::Success) return false;
  std::copy(solver.eigenvalues().data(), solver.eigenvalues().data() + n, values);
  transpose(solver.eigenvectors().data(), vectors, n);
  return true;
}

}  // namespace

extern const Kernels ZR_CAT(kernels, ZR_KERNEL);
const Kernels ZR_CAT(kernels, ZR_KERNEL) = {product, partialPivLU, householderQr, cholesky, ldlt, selfAdjointEigen};

}  // namespace ZR
