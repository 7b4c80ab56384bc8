// Reductions of a matrix to one number, and tests of its values.
#pragma once

#include "matrix/matrix.h"

namespace ZR {

// Same shape and every value equal (a NaN equals nothing).
bool isEqual(const Matrix& a, const Matrix& b);

// Left to right in storage order; 0 and 1 for a matrix without values. The
// partial results have an unbounded exponent: infinite or 0 only where the
// answer is, and rounded as for the values scaled to 1.
double coeffSum(const Matrix& a);
double coeffProd(const Matrix& a);
// The sum over the number of values; refused for a matrix without values.
double coeffMean(const Matrix& a);
// The first of equal extremes; a NaN never replaces the current value.
// Refused for a matrix without values.
double coeffMin(const Matrix& a);
double coeffMax(const Matrix& a);
// Sum down the main diagonal, as coeffSum; 0 when it is empty.
double coeffTrace(const Matrix& a);

// Fuzzy tests with precision p; a matrix without values passes each. The
// relative ones neither overflow nor underflow on the way.
bool isIdentity(const Matrix& a, double p);
bool isZero(const Matrix& a, double p);
bool isConstant(const Matrix& a, double c, double p);

}  // namespace ZR
