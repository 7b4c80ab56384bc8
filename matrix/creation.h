// Matrices made from worksheet values alone.
#pragma once

#include <cstdint>

#include "matrix/matrix.h"

namespace ZR {

// A rows x cols matrix from row-major values; no rows is refused.
Matrix fromArray(std::int32_t rows, std::int32_t cols, const double* values);

// Values 2 r / RAND_MAX - 1 from the runtime's rand, in storage order.
Matrix randomMatrix(std::int32_t rows, std::int32_t cols);

// Ones down the main diagonal from the top left, zeros elsewhere.
Matrix identityMatrix(std::int32_t rows, std::int32_t cols);

Matrix constantMatrix(std::int32_t rows, std::int32_t cols, double value);

}  // namespace ZR
