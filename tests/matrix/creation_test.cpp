// Matrices made from values and sizes, and the size guard.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>

#include "matrix/creation.h"

namespace {

TEST(Creation, FromValuesAndSizes) {
  const double v[] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(ZR::fromArray(2, 3, v), (ZR::Matrix(2, 3) << 1, 2, 3, 4, 5, 6).finished());
  try {
    ZR::fromArray(0, 3, v);
    ADD_FAILURE() << "no rows accepted";
  } catch (const char* message) {
    EXPECT_STREQ(message, "ZR::Eigen::Invalid Input Matrix");
  }
  EXPECT_EQ(ZR::identityMatrix(2, 3), (ZR::Matrix(2, 3) << 1, 0, 0, 0, 1, 0).finished());
  EXPECT_EQ(ZR::identityMatrix(3, 2), ZR::identityMatrix(2, 3).transpose());
  ZR::Matrix r = ZR::randomMatrix(40, 50);
  EXPECT_TRUE(r.maxCoeff() <= 1 && r.minCoeff() >= -1 && r.maxCoeff() > 0.99 && r.minCoeff() < -0.99);
  EXPECT_NE(ZR::randomMatrix(1, 1)(0, 0), ZR::randomMatrix(1, 1)(0, 0));
}

TEST(Creation, SizeGuardRefusesWhatDoesNotFit) {
  struct Case {
    std::int64_t rows, cols;
    bool fits;
  };
  const Case cases[] = {
      {0, 0, true},          {0, 2147483647, true},   {-1, 2, false},         {2, -1, false},
      {100000, 10000, false}, {0x1FFFFFFF, 1, true},  {0x20000000, 1, false}, {46341, 46341, false},
      {2147483647, 2, false}, {16384, 32767, true},
  };
  for (const Case& c : cases)
    if (c.fits)
      EXPECT_NO_THROW(ZR::checkSize(c.rows, c.cols)) << c.rows << " x " << c.cols;
    else
      EXPECT_THROW(ZR::checkSize(c.rows, c.cols), std::bad_alloc) << c.rows << " x " << c.cols;
  EXPECT_THROW(ZR::constantMatrix(-1, 2, 0), std::bad_alloc);
}

}  // namespace
