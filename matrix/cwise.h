// Coefficient-wise operations on matrices and the two precision tests.
// Plain C++ over Eigen; shape faults are thrown as plain message texts.
#pragma once

#include "matrix/matrix.h"

namespace ZR {

enum class Cwise { Min, Max, Prod, Quot };

// Value by value: Min keeps x unless y < x, Max unless y > x (so ties, ±0
// and NaN keep the first operand); Prod x·y; Quot x/y. Both operands must
// have the same shape.
Matrix cwise(Cwise op, const Matrix& a, const Matrix& b);

Matrix cwiseSqrt(const Matrix& m);
Matrix cwiseInverse(const Matrix& m);
Matrix cwiseAbs(const Matrix& m);

// Floor when floor > x, else cap when cap < x, else x (the floor wins when
// the bounds are crossed; a NaN value or bound never applies).
Matrix coeffCapFloor(const Matrix& m, double cap, double floor);
Matrix coeffCap(const Matrix& m, double cap);
Matrix coeffFloor(const Matrix& m, double floor);

// |A - B|² <= p²·min(|A|², |B|²) on squared Frobenius norms; same shape.
// Neither overflows nor underflows: the answer is the one for a and b
// scaled to 1.
bool isApprox(const Matrix& a, const Matrix& b, double precision);
// |A|² <= p²·|B|², alike at any scale; any shapes.
bool isMuchSmallerThan(const Matrix& a, const Matrix& b, double precision);

}  // namespace ZR
