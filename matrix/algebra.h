// Sums, products, transposes, diagonal and triangular matrices.
#pragma once

#include <string>

#include "matrix/kernels.h"
#include "matrix/matrix.h"

namespace ZR {

// a + b and a - b value by value; the shapes must agree.
Matrix add(const Matrix& a, const Matrix& b);
Matrix minus(const Matrix& a, const Matrix& b);

// a b; a's columns must match b's rows.
Matrix multiply(const Matrix& a, const Matrix& b);

// a b through the given kernel (kernels.h), or through Baseline when that
// one cannot run here; otherwise as multiply().
Matrix multiply(const Matrix& a, const Matrix& b, Kernel kernel);

Matrix multiplyConst(const Matrix& a, double c);

Matrix transpose(const Matrix& a);

// The n x n matrix with a column of n values down its diagonal; a matrix
// without values gives 0 x 0.
Matrix asDiagonal(const Matrix& a);

// The part of a that the mode "u", "l", "uu", "ul", "sl" or "su" selects
// (letter case ignored); any other mode gives 0 x 0.
Matrix triangularView(const Matrix& a, const std::string& mode);

}  // namespace ZR
