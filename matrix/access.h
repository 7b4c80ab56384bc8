// Reading, measuring, joining and editing parts of matrices. Indices count
// from 0; diagonal d > 0 lies above the main diagonal, d < 0 below it. The
// edits return an edited copy. Faults are thrown as plain message texts;
// sizes that fail the size guard as std::bad_alloc.
#pragma once

#include <cstdint>

#include "matrix/matrix.h"
#include "matrix/wide.h"

namespace ZR {

// A rows x cols matrix whose counts must each fit a signed 32-bit number
// and pass the size guard; std::bad_alloc otherwise.
Matrix newCounted(std::int64_t rows, std::int64_t cols);

// Sum of the squares of all values, in storage order; 0 when empty. Its
// partial results neither overflow nor underflow: the norm of
// {3e200, 4e200} is 5e200, the squared norm infinite.
Wide sumOfSquares(const Matrix& m);
double squaredNorm(const Matrix& m);
double norm(const Matrix& m);

// Sum of the products of two single columns of equal length, first onwards,
// whose products and partial sums neither overflow nor underflow.
double dotProd(const Matrix& a, const Matrix& b);

Matrix row(const Matrix& m, std::int32_t i);
Matrix column(const Matrix& m, std::int32_t i);
// Diagonal i as a column; its length L(i) < 0 fails the size guard.
Matrix diagonal(const Matrix& m, std::int32_t i);
// The p x q block at (i, j); a negative p or q fails the size guard, an
// empty block is given anywhere.
Matrix block(const Matrix& m, std::int32_t i, std::int32_t j, std::int32_t p, std::int32_t q);

Matrix replaceBlock(const Matrix& m, const Matrix& b, std::int32_t i, std::int32_t j);
Matrix append(const Matrix& a, const Matrix& b, bool vertical);
// Writes d's first column along diagonal index (|index| below both counts).
Matrix setDiagonal(const Matrix& m, const Matrix& d, std::int32_t index);
// Writes w's first row over row index.
Matrix setRow(const Matrix& m, const Matrix& w, std::int32_t index);
// Writes v's first column over column index.
Matrix setColumn(const Matrix& m, const Matrix& v, std::int32_t index);
Matrix setElement(const Matrix& m, double value, std::int32_t row, std::int32_t col);

}  // namespace ZR
