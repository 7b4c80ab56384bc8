// The stored matrix types and what every matrix operation shares: the size
// guard of every allocation and the option-text rule. Plain C++ over Eigen.
#pragma once

#include <cstdint>
#include <string>

#include <Eigen/Dense>

namespace ZR {

// Dense row-major matrix of doubles; the only matrix type of the library.
using Matrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using FullPivLU = Eigen::FullPivLU<Matrix>;

// Throws std::bad_alloc unless a rows x cols matrix may be allocated: both
// counts 0 or more, rows * cols within a signed 32-bit number and below
// 0x20000000 values.
void checkSize(std::int64_t rows, std::int64_t cols);

// A rows x cols matrix (values uninitialised) that has passed checkSize.
Matrix newMatrix(std::int64_t rows, std::int64_t cols);

// Throws "ZR::uBlasMatrix::<function> - Input matrix holds NaN or infinity"
// unless every value of a is finite.
void requireFinite(const Matrix& a, const char* function);

// Option-text rule: equal when the lengths agree and the characters agree
// ignoring ASCII letter case; "" equals only "".
bool optionIs(const std::string& option, const char* word);

}  // namespace ZR
