// The product's two kernels, and which one multiply() takes on this processor.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "matrix/algebra.h"

namespace {

TEST(ProductDispatch, BothKernelsGiveTheProductWithinRoundingOfTheExactSums) {
  // Empty, vectors, and sizes off the vector width and the blocked kernel's steps.
  const Eigen::Index shapes[][3] = {{0, 0, 0}, {0, 4, 3}, {3, 0, 5}, {1, 13, 7},   {7, 13, 1},
                                    {1, 9, 1}, {5, 3, 7}, {1, 1, 1}, {17, 33, 19}, {130, 257, 67}};
  for (const auto& s : shapes) {
    const ZR::Matrix a = ZR::Matrix::Random(s[0], s[1]), b = ZR::Matrix::Random(s[1], s[2]);
    for (ZR::ProductKernel kernel : {ZR::ProductKernel::Baseline, ZR::ProductKernel::Avx2Fma}) {
      const ZR::Matrix ab = ZR::multiply(a, b, kernel);
      ASSERT_EQ(ab.rows() * 1000 + ab.cols(), s[0] * 1000 + s[2]);
      // Within (k + 2) roundings of sum |a b|: an empty inner dimension gives exact zeros.
      for (Eigen::Index i = 0; i < ab.rows(); ++i)
        for (Eigen::Index j = 0; j < ab.cols(); ++j) {
          long double exact = 0, bound = 0;
          for (Eigen::Index p = 0; p < s[1]; ++p) {
            exact += static_cast<long double>(a(i, p)) * b(p, j);
            bound += std::fabs(a(i, p) * b(p, j));
          }
          ASSERT_LE(std::fabs(ab(i, j) - exact), (s[1] + 2) * std::numeric_limits<double>::epsilon() * bound)
              << int(kernel) << " " << s[0] << "x" << s[1] << "x" << s[2] << " at " << i << "," << j;
        }
    }
  }
}

TEST(ProductDispatch, MultiplyTakesTheAvx2KernelWhereTheProcessorHasIt) {
  EXPECT_TRUE(ZR::productKernelRuns(ZR::ProductKernel::Baseline));
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && !defined(_WIN32)
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  EXPECT_EQ(ZR::productKernel(), avx2 ? ZR::ProductKernel::Avx2Fma : ZR::ProductKernel::Baseline);
#endif
  const ZR::Matrix a = ZR::Matrix::Random(41, 53), b = ZR::Matrix::Random(53, 29);
  EXPECT_EQ(ZR::multiply(a, b), ZR::multiply(a, b, ZR::productKernel()));
  EXPECT_THROW(ZR::multiply(a, a, ZR::ProductKernel::Avx2Fma), const char*);
}

}  // namespace
