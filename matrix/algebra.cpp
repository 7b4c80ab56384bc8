#include "matrix/algebra.h"

#include <cstdint>

// The AVX2 and FMA product (product_avx2.cpp) is built only for GCC or Clang
// on x86-64 outside Windows; CMake defines ZR_MATRIX_PRODUCT_AVX2 when it
// builds it.
#if defined(ZR_MATRIX_PRODUCT_AVX2) && (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && \
    !defined(_WIN32)
#define ZR_PRODUCT_AVX2 1
#else
#define ZR_PRODUCT_AVX2 0
#endif

namespace ZR {

#if ZR_PRODUCT_AVX2
// c (m x n) = a (m x k) b (k x n), row-major, in product_avx2.cpp; the
// processor must have AVX2 and FMA.
void productAvx2Fma(const double* a, const double* b, double* c, std::int64_t m, std::int64_t k,
                    std::int64_t n);
#endif

namespace {

void requireSameShape(const Matrix& a, const Matrix& b, const char* message) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) throw message;
}

// Each value a[k] op b[k], in storage order.
template <class Op>
Matrix elementwise(const Matrix& a, const Matrix& b, Op op) {
  Matrix r = newMatrix(a.rows(), a.cols());
  const double *x = a.data(), *y = b.data();
  double* z = r.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k) z[k] = op(x[k], y[k]);
  return r;
}

// Where a triangular mode keeps A's values and what goes on the diagonal.
struct Triangle {
  const char* mode;
  bool upper;      // keeps j > i, else j < i
  int diagonal;    // 0: A's value, 1: one, 2: zero
};
const Triangle triangles[] = {{"u", true, 0},   {"l", false, 0}, {"uu", true, 1},
                              {"ul", false, 1}, {"sl", false, 2}, {"su", true, 2}};

}  // namespace

Matrix add(const Matrix& a, const Matrix& b) {
  requireSameShape(a, b, "ZR::uBlasMatrix::mtrx_add::Incompatible matrices");
  return elementwise(a, b, [](double x, double y) { return x + y; });
}

Matrix minus(const Matrix& a, const Matrix& b) {
  requireSameShape(a, b, "ZR::uBlasMatrix::mtrx_minus::Incompatible matrices");
  return elementwise(a, b, [](double x, double y) { return x - y; });
}

bool productKernelRuns(ProductKernel kernel) {
  if (kernel == ProductKernel::Baseline) return true;
#if ZR_PRODUCT_AVX2
  static const bool runs = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  }();
  return runs;
#else
  return false;
#endif
}

ProductKernel productKernel() {
  static const ProductKernel kernel =
      productKernelRuns(ProductKernel::Avx2Fma) ? ProductKernel::Avx2Fma : ProductKernel::Baseline;
  return kernel;
}

Matrix multiply(const Matrix& a, const Matrix& b, ProductKernel kernel) {
  if (a.cols() != b.rows()) throw "ZR::uBlasMatrix::mtrx_multiply::Incompatible matrices";
  Matrix r = newMatrix(a.rows(), b.cols());
#if ZR_PRODUCT_AVX2
  if (kernel == ProductKernel::Avx2Fma && productKernelRuns(kernel)) {
    productAvx2Fma(a.data(), b.data(), r.data(), a.rows(), a.cols(), b.cols());
    return r;
  }
#endif
  r.noalias() = a * b;  // no temporary; an empty inner dimension gives zeros
  return r;
}

Matrix multiply(const Matrix& a, const Matrix& b) { return multiply(a, b, productKernel()); }

Matrix multiplyConst(const Matrix& a, double c) {
  Matrix r = newMatrix(a.rows(), a.cols());
  const double* x = a.data();
  double* z = r.data();
  for (Eigen::Index k = 0, n = a.size(); k < n; ++k) z[k] = x[k] * c;
  return r;
}

Matrix transpose(const Matrix& a) {
  Matrix r = newMatrix(a.cols(), a.rows());
  r = a.transpose();
  return r;
}

Matrix asDiagonal(const Matrix& a) {
  if (a.size() == 0) return newMatrix(0, 0);
  if (a.cols() != 1) throw "ZR::uBlasMatrix::mtrx_asDiagonal::Input matrix must have one column";
  const Eigen::Index n = a.rows();
  Matrix r = newMatrix(n, n);
  r.setZero();
  for (Eigen::Index i = 0; i < n; ++i) r(i, i) = a(i, 0);
  return r;
}

Matrix triangularView(const Matrix& a, const std::string& mode) {
  for (const Triangle& t : triangles) {
    if (!optionIs(mode, t.mode)) continue;
    Matrix r = newMatrix(a.rows(), a.cols());
    for (Eigen::Index i = 0; i < a.rows(); ++i)
      for (Eigen::Index j = 0; j < a.cols(); ++j) {
        if (i == j)
          r(i, j) = t.diagonal == 0 ? a(i, j) : t.diagonal == 1 ? 1.0 : 0.0;
        else
          r(i, j) = (j > i) == t.upper ? a(i, j) : 0.0;
      }
    return r;
  }
  return newMatrix(0, 0);
}

}  // namespace ZR
