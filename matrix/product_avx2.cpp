// The dense product built alone for AVX2 and FMA (see CMakeLists.txt); the
// rest of the library stays on the baseline instruction set and calls it only
// when the processor has both.
//
// Eigen is compiled here under another namespace: its inline templates
// instantiated with AVX2 code must not share names with the baseline ones
// elsewhere in the library, or the linker could keep the AVX2 copy of a
// function for baseline callers. The #include directive is not macro-expanded,
// so only the names change. Nothing of Eigen crosses this file's boundary.
#include <cstddef>
#include <cstdint>

#define Eigen ZrEigenAvx2
#include <Eigen/Core>

namespace ZR {

// c (m x n) = a (m x k) b (k x n), all row-major and contiguous; c must not
// overlap a or b. Declared again in algebra.cpp.
void productAvx2Fma(const double* a, const double* b, double* c, std::int64_t m, std::int64_t k,
                    std::int64_t n) {
  using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
  const Eigen::Map<const RowMajor> x(a, m, k), y(b, k, n);
  Eigen::Map<RowMajor> z(c, m, n);
  z.noalias() = x * y;  // an empty inner dimension gives zeros
}

}  // namespace ZR
