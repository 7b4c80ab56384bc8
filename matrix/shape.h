// Shape tests, coefficient-wise powers and repetition of matrices.
#pragma once

#include <cstdint>

#include "matrix/matrix.h"

namespace ZR {

// Every value off the main diagonal equals 0 (NaN does not); the diagonal
// itself is not read. Empty and non-square matrices are tested alike.
bool isDiagonal(const Matrix& m);
bool isSquare(const Matrix& m);
bool isRow(const Matrix& m);
bool isColumn(const Matrix& m);

// pow(x, n) for every value.
Matrix cwisePow(const Matrix& m, double n);

// n copies of m side by side, or one above the other when vertical. A
// negative count fails the size guard (unless the repeated dimension is 0);
// a count whose result dimension exceeds 32 bits is refused with a message.
Matrix repeat(const Matrix& m, std::int32_t n, bool vertical);

}  // namespace ZR
