// LU decompositions and what they answer: inverse, determinant, rank,
// kernel and image. All but the determinant refuse a matrix holding NaN or
// infinity. Plain C++ over Eigen.
#pragma once

#include "matrix/matrix.h"

namespace ZR {

// A factor of a stored full-pivot LU.
enum class LUFactor { Packed, L, U, P, Q };

// The full-pivot LU of a; an empty matrix is refused.
FullPivLU fullPivLU(const Matrix& a);

// One factor of a full-pivot LU: the packed r x c matrix, L or U shaped
// r x c, or the dense row (r x r) or column (c x c) permutation.
Matrix extract(const FullPivLU& lu, LUFactor factor);

// The packed r x c matrix of the partial-pivot LU of a square matrix.
Matrix partialPivLU(const Matrix& a);

// From a packed LU or QR matrix, same shape: the strict lower part with a unit
// diagonal and zeros above; the upper part with the diagonal and zeros below.
Matrix unitLower(const Matrix& packed);
Matrix upperPart(const Matrix& packed);

// Questions answered by one full-pivot LU each, at Eigen's default pivot
// threshold, alike at any power-of-two scale of the matrix. Empty matrices
// are answered by their shapes, undecomposed.
bool isInvertible(const Matrix& a);
Eigen::Index rank(const Matrix& a);
Matrix kernel(const Matrix& a);  // c x (c - rank); c x 1 zeros at full rank
Matrix image(const Matrix& a);   // r x rank; r x 1 zeros at rank 0
Matrix inverse(const Matrix& a);

// By partial-pivot LU; 1 for a 0 x 0 matrix; a non-square matrix is refused.
// Infinite only where the determinant exceeds the doubles, not where the
// product of the pivots does on the way. A NaN or infinity is not refused:
// it carries into a determinant that is not finite.
double determinant(const Matrix& a);

}  // namespace ZR
