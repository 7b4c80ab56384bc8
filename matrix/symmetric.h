// Decompositions of symmetric matrices: Cholesky, pivoted LDL^T and the
// self-adjoint eigen solver. Each reads only the lower triangle (diagonal
// included) of a square, non-empty matrix and refuses any other shape and
// a NaN or infinity in that triangle.
// Plain C++ over Eigen.
#pragma once

#include "matrix/matrix.h"

namespace ZR {

// L (lower, upper == false) or U = L^T of A = L L^T; refuses a matrix that
// is not positive definite.
Matrix cholesky(const Matrix& a, bool upper);

enum class LDLTFactor { L, U, D };
// P A P^T = L D L^T: unit lower L, U = L^T, or D as a dense diagonal
// matrix. Refuses a matrix that has no such factorisation.
Matrix ldlt(const Matrix& a, LDLTFactor factor);

// Eigenvalues in increasing order (n x 1), and the unit eigenvectors as
// columns in the same order (n x n). function names the caller in messages,
// such as the failure to converge.
Matrix eigenValues(const Matrix& a, const char* function = "mtrx_eigenValues");
Matrix eigenVectors(const Matrix& a);

// Smallest eigenvalue >= 0, largest eigenvalue <= 0; exact comparisons.
bool isPosSemiDef(const Matrix& a);
bool isNegSemiDef(const Matrix& a);

}  // namespace ZR
