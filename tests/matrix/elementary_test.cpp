// The matrix library short of the decompositions: creation and the size
// guard, algebra and the product's two kernels, access and edits, shape tests,
// coefficient-wise operations and reductions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

#include "matrix/access.h"
#include "matrix/algebra.h"
#include "matrix/creation.h"
#include "matrix/cwise.h"
#include "matrix/reductions.h"
#include "matrix/shape.h"

namespace {

using ZR::Matrix;
const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();

// A rows x cols matrix of values in row-major order.
Matrix of(Eigen::Index rows, Eigen::Index cols, std::vector<double> v) {
  return Eigen::Map<Matrix>(v.data(), rows, cols);
}

// Same shape and values; NaN matches NaN, and zeros match by sign.
bool same(const Matrix& a, const Matrix& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
  for (Eigen::Index k = 0; k < a.size(); ++k) {
    const double x = a.data()[k], y = b.data()[k];
    if (std::isnan(x) ? !std::isnan(y) : x != y || std::signbit(x) != std::signbit(y)) return false;
  }
  return true;
}

TEST(Creation, ValuesSizesAndTheSizeGuard) {
  const double v[] = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(same(ZR::fromArray(2, 3, v), of(2, 3, {1, 2, 3, 4, 5, 6})));
  try {
    ZR::fromArray(0, 3, v);
    ADD_FAILURE() << "no rows accepted";
  } catch (const char* message) {
    EXPECT_STREQ(message, "ZR::Eigen::Invalid Input Matrix");
  }
  EXPECT_TRUE(same(ZR::identityMatrix(2, 3), of(2, 3, {1, 0, 0, 0, 1, 0})));
  EXPECT_TRUE(same(ZR::identityMatrix(3, 2), of(3, 2, {1, 0, 0, 1, 0, 0})));
  const Matrix r = ZR::randomMatrix(40, 50);
  EXPECT_TRUE(r.maxCoeff() <= 1 && r.minCoeff() >= -1 && r.maxCoeff() > 0.99 && r.minCoeff() < -0.99);
  EXPECT_NE(ZR::randomMatrix(1, 1)(0, 0), ZR::randomMatrix(1, 1)(0, 0));
  // Negative counts, the signed 32-bit product, fewer than 0x20000000 values.
  const struct { std::int64_t rows, cols; bool fits; } sizes[] = {
      {0, 0, true},           {0, 2147483647, true},  {-1, 2, false},         {2, -1, false},
      {100000, 10000, false}, {0x1FFFFFFF, 1, true},  {0x20000000, 1, false}, {46341, 46341, false},
      {2147483647, 2, false}, {16384, 32767, true}};
  for (const auto& s : sizes) {
    bool fits = true;
    try {
      ZR::checkSize(s.rows, s.cols);
    } catch (const std::bad_alloc&) {
      fits = false;
    }
    EXPECT_EQ(fits, s.fits) << s.rows << " x " << s.cols;
  }
}

TEST(Algebra, ProductAgreesWithNumpyAndExactSums) {
  // tools/matrix/make_reference.py: numpy's a @ b on random operands.
  const Matrix a = of(2, 3, {7.043284996340784, -4.834235299471419, 6.322138003068883, -6.992668756068586,
                             -4.538395818190562, 4.950240344233563});
  const Matrix b = of(3, 2, {5.872795089882313, -5.253306011894116, 5.556754346486928, -5.080317530996088,
                             -8.0269729260731, 4.407647357659307});
  EXPECT_TRUE(ZR::multiply(a, b).isApprox(
      of(2, 2, {-36.246519054658194, 15.424673790088159, -106.02070664533915, 81.61003442623166}), 1e-15));
  // Both kernels, on empty operands, vectors, and sizes off the vector width
  // and the blocked kernel's steps: within (k + 2) roundings of sum |a b|.
  const Eigen::Index shapes[][3] = {{0, 0, 0}, {0, 4, 3}, {3, 0, 5}, {1, 13, 7},   {7, 13, 1},
                                    {1, 9, 1}, {5, 3, 7}, {1, 1, 1}, {17, 33, 19}, {130, 257, 67}};
  for (const auto& s : shapes) {
    const Matrix x = Matrix::Random(s[0], s[1]), y = Matrix::Random(s[1], s[2]);
    for (ZR::Kernel kernel : {ZR::Kernel::Baseline, ZR::Kernel::Avx2Fma, ZR::Kernel::Avx512}) {
      const Matrix xy = ZR::multiply(x, y, kernel);
      ASSERT_EQ(xy.rows() * 1000 + xy.cols(), s[0] * 1000 + s[2]);
      for (Eigen::Index i = 0; i < xy.rows(); ++i)
        for (Eigen::Index j = 0; j < xy.cols(); ++j) {
          long double exact = 0, bound = 0;
          for (Eigen::Index p = 0; p < s[1]; ++p) {
            exact += static_cast<long double>(x(i, p)) * y(p, j);
            bound += std::fabs(x(i, p) * y(p, j));
          }
          ASSERT_LE(std::fabs(xy(i, j) - exact), (s[1] + 2) * std::numeric_limits<double>::epsilon() * bound)
              << int(kernel) << " " << s[0] << "x" << s[1] << "x" << s[2] << " at " << i << "," << j;
        }
    }
  }
}

TEST(Algebra, MultiplyTakesTheWidestKernelTheProcessorHas) {
  EXPECT_TRUE(ZR::kernelRuns(ZR::Kernel::Baseline));
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
  const char* pinned = std::getenv("ZR_MATRIX_KERNEL");  // a pinned copy is the one taken
  if (pinned == nullptr || *pinned == '\0') {
    EXPECT_EQ(ZR::bestKernel(), avx512 ? ZR::Kernel::Avx512 : avx2 ? ZR::Kernel::Avx2Fma : ZR::Kernel::Baseline);
  }
#endif
  const Matrix a = Matrix::Random(41, 53), b = Matrix::Random(53, 29);
  EXPECT_EQ(ZR::multiply(a, b), ZR::multiply(a, b, ZR::bestKernel()));
  EXPECT_THROW(ZR::multiply(a, a, ZR::Kernel::Avx2Fma), const char*);
}

TEST(Algebra, ValueByValueTransposedDiagonalAndTriangular) {
  const Matrix a = of(2, 3, {1, 2, 3, 4, 5, 6}), b = of(2, 3, {0.5, -1, 0, 1e300, 2, -6});
  EXPECT_TRUE(same(ZR::add(a, b), of(2, 3, {1.5, 1, 3, 1e300, 7, 0})));
  EXPECT_TRUE(same(ZR::minus(a, b), of(2, 3, {0.5, 3, 3, -1e300, 3, 12})));
  EXPECT_TRUE(same(ZR::multiplyConst(a, -2), of(2, 3, {-2, -4, -6, -8, -10, -12})));
  EXPECT_TRUE(same(ZR::transpose(a), of(3, 2, {1, 4, 2, 5, 3, 6})));
  EXPECT_TRUE(same(ZR::asDiagonal(of(3, 1, {1, 2, 3})), of(3, 3, {1, 0, 0, 0, 2, 0, 0, 0, 3})));
  for (const Matrix& empty : {Matrix(0, 1), Matrix(0, 3), Matrix(2, 0)})
    EXPECT_TRUE(same(ZR::asDiagonal(empty), Matrix(0, 0)));
  const Matrix c = of(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  const std::pair<const char*, std::vector<double>> views[] = {
      {"u", {1, 2, 3, 0, 5, 6, 0, 0, 9}},  {"L", {1, 0, 0, 4, 5, 0, 7, 8, 9}},
      {"uu", {1, 2, 3, 0, 1, 6, 0, 0, 1}}, {"Ul", {1, 0, 0, 4, 1, 0, 7, 8, 1}},
      {"sl", {0, 0, 0, 4, 0, 0, 7, 8, 0}}, {"SU", {0, 2, 3, 0, 0, 6, 0, 0, 0}}};
  for (const auto& v : views) EXPECT_TRUE(same(ZR::triangularView(c, v.first), of(3, 3, v.second))) << v.first;
  EXPECT_TRUE(same(ZR::triangularView(a, "l"), of(2, 3, {1, 0, 0, 4, 5, 0})));
  for (const char* unknown : {"x", "", "uu ", "lu"}) EXPECT_EQ(ZR::triangularView(c, unknown).size(), 0) << unknown;
}

TEST(Access, ReadsEditsJoinsAndShapes) {
  const Matrix M = of(2, 3, {1, 2, 3, 4, 5, 6}), col2 = of(2, 1, {7, 8});
  const struct { Matrix got, want; } cases[] = {
      {ZR::diagonal(M, 1), of(2, 1, {2, 6})}, {ZR::diagonal(M, 2), of(1, 1, {3})},
      {ZR::diagonal(M, -1), of(1, 1, {4})}, {ZR::diagonal(M, 3), Matrix(0, 1)},
      {ZR::block(M, 9, 9, 0, 5), Matrix(0, 5)}, {ZR::block(M, 0, 1, 2, 2), of(2, 2, {2, 3, 5, 6})},
      {ZR::replaceBlock(M, col2, 0, 2), of(2, 3, {1, 2, 7, 4, 5, 8})},
      {ZR::append(M, col2, false), of(2, 4, {1, 2, 3, 7, 4, 5, 6, 8})},
      {ZR::setDiagonal(M, col2, 1), of(2, 3, {1, 7, 3, 4, 5, 8})},
      {ZR::setDiagonal(M, of(1, 2, {7, 1}), -1), of(2, 3, {1, 2, 3, 7, 5, 6})},
      {ZR::setRow(M, of(2, 3, {7, 8, 9, 0, 0, 0}), 0), of(2, 3, {7, 8, 9, 4, 5, 6})},
      {ZR::setColumn(M, of(2, 2, {0, 1, 0, 1}), 0), of(2, 3, {0, 2, 3, 0, 5, 6})},
      {ZR::row(M, 1), of(1, 3, {4, 5, 6})}, {ZR::column(M, 2), of(2, 1, {3, 6})},
      {ZR::repeat(col2, 2, false), of(2, 2, {7, 7, 8, 8})}, {ZR::repeat(M, 0, false), Matrix(2, 0)},
      {ZR::repeat(Matrix(0, 2), -1, true), Matrix(0, 2)},
  };
  for (const auto& c : cases) EXPECT_TRUE(same(c.got, c.want)) << &c - cases << "\n" << c.got;
  // Summed in order: (1e16 + 1) - 1e16 loses the 1.
  EXPECT_EQ(ZR::dotProd(of(3, 1, {1e16, 1, -1e16}), of(3, 1, {1, 1, 1})), 0);
  // At any power-of-two scale as at 1, infinite or 0 only where the answer is.
  const double tiny = std::numeric_limits<double>::denorm_min();
  const struct { double got, want; } measures[] = {
      {ZR::squaredNorm(M), 91}, {ZR::norm(of(1, 2, {3, 4})), 5},
      {ZR::norm(M * 0x1p1000), std::sqrt(91.0) * 0x1p1000}, {ZR::norm(M * 0x1p-1000), std::sqrt(91.0) * 0x1p-1000},
      {ZR::squaredNorm(M * 0x1p-520), 91 * 0x1p-1040}, {ZR::squaredNorm(M * 0x1p-600), 0},
      {ZR::squaredNorm(M * 0x1p520), inf}, {ZR::norm(of(1, 2, {inf, 1})), inf},
      {ZR::dotProd(of(3, 1, {1e200, -1e200, 1}), of(3, 1, {1e200, 1e200, 1})), 1},
      // Each product is 0.625 of the least double: 1.25 of it in all, not 2.
      {ZR::dotProd(of(2, 1, {0x1.4p-537, 0x1.4p-537}), of(2, 1, {0x1p-538, 0x1p-538})), tiny},
      {ZR::dotProd(of(2, 1, {0, 1e-300}), of(2, 1, {5, 1e-300})), 0},
  };
  for (const auto& m : measures) EXPECT_EQ(m.got, m.want) << &m - measures;
  EXPECT_TRUE(std::isnan(ZR::norm(of(1, 3, {1e300, nan, 1}))) &&
              std::isnan(ZR::dotProd(of(1, 1, {inf}), of(1, 1, {0}))));
  // isDiagonal does not read the diagonal, and compares the rest with 0.
  EXPECT_TRUE(ZR::isDiagonal(of(2, 2, {1, -0.0, 0, nan})) && ZR::isDiagonal(of(2, 3, {0, 0, 0, 0, 7, 0})));
  EXPECT_FALSE(ZR::isDiagonal(of(2, 2, {1, 0, 3, 1})) || ZR::isDiagonal(of(2, 3, {0, 0, 0, 0, 7, nan})));
  EXPECT_TRUE(ZR::isSquare(Matrix(0, 0)) && ZR::isRow(M.row(0)) && ZR::isColumn(col2));
  EXPECT_FALSE(ZR::isSquare(M) || ZR::isRow(M) || ZR::isColumn(M));
}

TEST(Cwise, AgreesWithNumpy) {
  const Matrix x = of(2, 4, {-2.5, -0.0, 0.0, 1.0, 3.0, nan, inf, -4.0});
  const Matrix y = of(2, 4, {1.0, 0.0, -0.0, 1.0, 2.0, 4.0, nan, -0.0});
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
      {ZR::coeffCapFloor(x, nan, nan), {-2.5, -0.0, 0.0, 1.0, 3.0, nan, inf, -4.0}},  // NaN bounds
  };
  for (const auto& c : cases) EXPECT_TRUE(same(c.first, of(2, 4, c.second))) << &c - cases << "\n" << c.first;
  // The precision tests, on squared norms (cwise_reference.py).
  const Matrix a = of(2, 2, {1, 2, 3, 4});
  EXPECT_TRUE(ZR::isApprox(a, Matrix(a.array() + 1e-6), 1e-5) && ZR::isMuchSmallerThan(Matrix(a * 1e-6), a, 1e-5));
  EXPECT_FALSE(ZR::isApprox(a, Matrix(a.array() + 1e-6), 1e-7) || ZR::isMuchSmallerThan(Matrix(a * 1e-4), a, 1e-5));
  EXPECT_FALSE(ZR::isApprox(Matrix::Constant(2, 2, nan), Matrix::Constant(2, 2, nan), inf));
  // Measured against the smaller norm, zero is close to nothing else at any precision.
  EXPECT_FALSE(ZR::isApprox(Matrix::Zero(1, 1), Matrix::Constant(1, 1, 1e-6), 1e6));
  EXPECT_TRUE(ZR::isMuchSmallerThan(Matrix::Constant(1, 1, 1e-10), a, 1e-5));  // shapes differ
  // Both answer at any scale as at 1: the squared norms would overflow or underflow.
  const Matrix near = Matrix(a.array() + 1e-6), small = a * 1e-6;
  for (double s : {0x1p-1000, 0x1p-600, 0x1p600, 0x1p1000}) {
    EXPECT_TRUE(ZR::isApprox(a * s, near * s, 1e-5) && ZR::isMuchSmallerThan(small * s, a * s, 1e-5)) << s;
    EXPECT_FALSE(ZR::isApprox(a * s, near * s, 1e-7) || ZR::isMuchSmallerThan(a * s, small * s, 1e-5)) << s;
    EXPECT_FALSE(ZR::isApprox(a * s, -a * s, 1e-12) || ZR::isApprox(Matrix::Zero(2, 2), a * s, 1e6)) << s;
    EXPECT_TRUE(ZR::isApprox(a * s, a * s, 0)) << s;
  }
  // A difference of 2^-1000 against a norm of 1: within 2^-999, not 2^-1001.
  const Matrix one = of(1, 2, {1, 0x1p-1000}), other = of(1, 2, {1, 0x1p-999});
  EXPECT_TRUE(ZR::isApprox(one, other, 0x1p-999) && ZR::isMuchSmallerThan(of(1, 1, {0x1p-1000}), one, 0x1p-999));
  EXPECT_FALSE(ZR::isApprox(one, other, 0x1p-1001) || ZR::isMuchSmallerThan(of(1, 1, {0x1p-1000}), one, 0x1p-1001));
}

TEST(Reductions, InOrderWithInfinityNaNAndEmptyMatrices) {
  // x_0 = 1e16, x_k = 1/k over 40 x 50; references from plain loops in
  // tools/matrix/make_reference.py (numpy's pairwise sum: 1.0000000000000006e16).
  Matrix x(40, 50), y(40, 50);
  for (int k = 0; k < 2000; ++k) {
    x.data()[k] = k == 0 ? 1e16 : 1.0 / k;
    y.data()[k] = 1.0 + 1.0 / (k + 3);
  }
  EXPECT_EQ(ZR::coeffSum(x), 1e16);
  EXPECT_EQ(ZR::coeffMean(x), 5000000000000.0);
  EXPECT_EQ(ZR::coeffProd(y), 667.666666666666);
  // numpy's nanmin and trace of this matrix, from make_reference.py.
  const Matrix c = of(4, 3, {-13.921300925893206, 46.80587471209438, -23.41035651334171, -49.359396592567364,
                             45.88917884394098, inf, -24.622217205365033, -66.89094720801802,
                             -21.661393598395478, nan, 95.99966889456297, -81.54070356456626});
  EXPECT_EQ(ZR::coeffMin(c), -81.54070356456626);
  EXPECT_EQ(ZR::coeffMax(c), inf);
  EXPECT_EQ(ZR::coeffTrace(c), 10.306484319652299);
  // A NaN first stays; a later NaN never replaces; the first of equal values stays.
  EXPECT_TRUE(std::isnan(ZR::coeffMin(of(1, 3, {nan, -1, 1}))));
  EXPECT_EQ(ZR::coeffMax(of(3, 1, {2, nan, 1})), 2);
  EXPECT_FALSE(std::signbit(ZR::coeffMin(of(1, 2, {0.0, -0.0}))));
  EXPECT_TRUE(std::signbit(ZR::coeffMax(of(1, 2, {-0.0, 0.0}))));
  EXPECT_EQ(ZR::coeffTrace(of(2, 3, {1, 2, 3, 4, 5, 6})), 6);
  const Matrix empty(3, 0);
  EXPECT_TRUE(ZR::coeffSum(empty) == 0 && ZR::coeffProd(empty) == 1 && ZR::coeffTrace(empty) == 0);
  // Partial sums and products past the doubles give what the answer is.
  const double most = std::numeric_limits<double>::max(), least = std::numeric_limits<double>::denorm_min();
  Matrix steps(1, 600);  // 300 values of 2^10, then 300 of 2^-10: past the blocks of 256
  steps.leftCols(300).setConstant(0x1p10);
  steps.rightCols(300).setConstant(0x1p-10);
  const struct { double got, want; } cases[] = {
      {ZR::coeffSum(of(1, 3, {1e308, 1e308, -1e308})), 1e308},
      {ZR::coeffSum(of(1, 5, {most, most, -most, -most, least})), least},
      {ZR::coeffMean(of(2, 1, {most, most})), most},
      {ZR::coeffTrace(of(3, 3, {1e308, 0, 0, 0, 1e308, 0, 0, 0, -1e308})), 1e308},
      {ZR::coeffSum(of(1, 3, {1e308, 1e308, -inf})), -inf},
      {ZR::coeffProd(of(1, 3, {0x1p600, 0x1p600, 0x1p-700})), 0x1p500},
      {ZR::coeffProd(of(1, 3, {-0x1p-600, 0x1p-600, 0x1p1000})), -0x1p-200},
      {ZR::coeffProd(steps), 1},
      {ZR::coeffProd(of(1, 3, {0x1p600, 0x1p600, 0})), 0},
      {ZR::coeffProd(of(1, 3, {0x1p600, 0x1p600, 0x1p-100})), inf},
      // Rounded at each step, from mpmath at 53 bits (make_reference.py).
      {ZR::coeffProd(of(1, 3, {1e-170, 1e-170, 1e300})), 1.0000000000000001e-40},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << &c - cases;
  EXPECT_TRUE(std::isnan(ZR::coeffProd(of(1, 3, {0x1p600, 0x1p600, nan}))) &&
              std::isnan(ZR::coeffProd(of(1, 3, {0x1p600, 0, inf}))));
}

TEST(Reductions, ExactAndFuzzyTests) {
  const Matrix a = of(2, 2, {1, 2, 3, 4}), tiny = Matrix::Constant(2, 2, 1e-13), empty(3, 0);
  Matrix b = a, nearI = Matrix::Identity(3, 3);
  b(1, 1) += 1e-15;
  nearI(0, 0) = 1.0000001;
  const std::pair<bool, bool> cases[] = {  // {got, expected}
      {ZR::isEqual(a, a), true},           {ZR::isEqual(a, b), false},
      {ZR::isZero(tiny, 1e-12), true},     {ZR::isZero(tiny, 0), false},
      {ZR::isIdentity(nearI, 1e-6), true}, {ZR::isIdentity(nearI, 1e-8), false},
      {ZR::isEqual(Matrix(0, 2), Matrix(2, 0)), false},
      {ZR::isIdentity(of(2, 3, {1, 0, 0, 0, 1, 0}), 0), true},
      {ZR::isIdentity(of(1, 1, {0.5}), 0.9), false},  // within 0.9 of 1, not of 0.5
      {ZR::isConstant(of(1, 1, {1e-20}), 0, 1), false},
      {ZR::isConstant(of(1, 1, {101}), 100, 0.01), true},
      {ZR::isConstant(of(1, 1, {99}), 100, 0.01), false},
      // 2e308 apart: within 2.1 times 1e308, not 1.9 times.
      {ZR::isConstant(of(1, 2, {1e308, 1e308}), -1e308, 2.1), true},
      {ZR::isConstant(of(1, 2, {1e308, 1e308}), -1e308, 1.9), false},
      // 2 least doubles apart: within 2.5 of them, not 1.5 (which rounds to 2).
      {ZR::isConstant(of(1, 1, {0x3p-1074}), 0x1p-1074, 2.5), true},
      {ZR::isConstant(of(1, 1, {0x3p-1074}), 0x1p-1074, 1.5), false},
      {ZR::isIdentity(empty, 0) && ZR::isZero(empty, 0) && ZR::isConstant(empty, 3, 0), true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.first, c.second) << &c - cases;
}

}  // namespace
