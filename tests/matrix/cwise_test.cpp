// Coefficient-wise operations, powers and the precision tests against numpy.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "matrix/cwise.h"
#include "matrix/shape.h"

namespace {

using ZR::Matrix;
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

Matrix of(std::vector<double> v) { return Eigen::Map<Matrix>(v.data(), 2, 4); }

// Equal as values and signs, NaN to NaN.
bool same(double a, double b) {
  return std::isnan(a) ? std::isnan(b) : a == b && std::signbit(a) == std::signbit(b);
}

TEST(Cwise, AgreesWithNumpy) {
  const Matrix x = of({-2.5, -0.0, 0.0, 1.0, 3.0, nan, inf, -4.0});
  const Matrix y = of({1.0, 0.0, -0.0, 1.0, 2.0, 4.0, nan, -0.0});
  // From tools/matrix/cwise_reference.py (numpy 1.24.2, np.where forms).
  const std::pair<Matrix, std::vector<double>> cases[] = {
      {ZR::cwise(ZR::Cwise::Min, x, y), {-2.5, -0.0, 0.0, 1.0, 2.0, nan, inf, -4.0}},
      {ZR::cwise(ZR::Cwise::Max, x, y), {1.0, -0.0, 0.0, 1.0, 3.0, nan, inf, -0.0}},
      {ZR::cwise(ZR::Cwise::Prod, x, y), {-2.5, -0.0, -0.0, 1.0, 6.0, nan, nan, 0.0}},
      {ZR::cwise(ZR::Cwise::Quot, x, y), {-2.5, nan, nan, 1.0, 1.5, nan, nan, inf}},
      {ZR::cwiseSqrt(x), {nan, -0.0, 0.0, 1.0, 1.7320508075688772, nan, inf, nan}},
      {ZR::cwiseInverse(x), {-0.4, -inf, inf, 1.0, 0.3333333333333333, nan, 0.0, -0.25}},
      {ZR::cwiseAbs(x), {2.5, 0.0, 0.0, 1.0, 3.0, nan, inf, 4.0}},
      {ZR::coeffCapFloor(x, 2, -1), {-1.0, -0.0, 0.0, 1.0, 2.0, nan, 2.0, -1.0}},
      {ZR::coeffCapFloor(x, -1, 2), {2.0, 2.0, 2.0, 2.0, -1.0, nan, -1.0, 2.0}},
      {ZR::coeffCap(x, 2), {-2.5, -0.0, 0.0, 1.0, 2.0, nan, 2.0, -4.0}},
      {ZR::coeffFloor(x, -1), {-1.0, -0.0, 0.0, 1.0, 3.0, nan, inf, -1.0}},
      {ZR::cwisePow(x, 0.5), {nan, 0.0, 0.0, 1.0, 1.7320508075688772, nan, inf, nan}},
      {ZR::cwisePow(x, 0), {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}},
      {ZR::coeffCapFloor(x, nan, nan), {-2.5, -0.0, 0.0, 1.0, 3.0, nan, inf, -4.0}},  // NaN bounds
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.first.rows() == 2 && c.first.cols() == 4);
    for (int k = 0; k < 8; ++k)
      EXPECT_TRUE(same(c.first.data()[k], c.second[k])) << &c - cases << " at " << k << ": " << c.first.data()[k];
  }
}

TEST(Cwise, PrecisionTests) {
  const Matrix a = (Matrix(2, 2) << 1, 2, 3, 4).finished();
  // From tools/matrix/cwise_reference.py.
  EXPECT_TRUE(ZR::isApprox(a, Matrix(a.array() + 1e-6), 1e-5));
  EXPECT_FALSE(ZR::isApprox(a, Matrix(a.array() + 1e-6), 1e-7));
  EXPECT_TRUE(ZR::isMuchSmallerThan(Matrix(a * 1e-6), a, 1e-5));
  EXPECT_FALSE(ZR::isMuchSmallerThan(Matrix(a * 1e-4), a, 1e-5));
  EXPECT_FALSE(ZR::isApprox(Matrix::Constant(2, 2, nan), Matrix::Constant(2, 2, nan), inf));
  EXPECT_TRUE(ZR::isMuchSmallerThan(Matrix::Constant(1, 1, 1e-10), a, 1e-5));  // shapes differ
}

}  // namespace
