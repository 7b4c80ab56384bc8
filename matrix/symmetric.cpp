#include "matrix/symmetric.h"

#include <string>

#include "matrix/kernels.h"

namespace ZR {

namespace {

[[noreturn]] void fail(const char* function, const char* what) {
  throw std::string("ZR::uBlasMatrix::") + function + " - " + what;
}

// The symmetric matrix that the lower triangle of a defines.
Matrix lowerSymmetric(const Matrix& a, const char* function) {
  if (a.rows() != a.cols() || a.rows() == 0) fail(function, "Input matrix must be square and not empty");
  Matrix s = newMatrix(a.rows(), a.cols());
  s = a.selfadjointView<Eigen::Lower>();
  requireFinite(s, function);
  return s;
}

// The eigenvalues (n x 1) of the symmetric matrix of a's lower triangle;
// its eigenvectors (n x n) into vectors.
Matrix solve(const Matrix& a, const char* function, Matrix& vectors) {
  vectors = lowerSymmetric(a, function);
  Matrix values = newMatrix(vectors.rows(), 1);
  if (!kernels().selfAdjointEigen(vectors.data(), vectors.rows(), values.data(), vectors.data()))
    fail(function, "Eigen solver did not converge");
  return values;
}

}  // namespace

Matrix cholesky(const Matrix& a, bool upper) {
  Matrix f = lowerSymmetric(a, "mtrx_cholesky");
  if (!kernels().cholesky(f.data(), f.rows(), upper))
    fail("mtrx_cholesky", "Input matrix is not positive definite");
  return f;
}

Matrix ldlt(const Matrix& a, LDLTFactor factor) {
  Matrix f = lowerSymmetric(a, "mtrx_ldlt");
  const int k = factor == LDLTFactor::L ? 0 : factor == LDLTFactor::U ? 1 : 2;
  if (!kernels().ldlt(f.data(), f.rows(), k)) fail("mtrx_ldlt", "Input matrix has no LDLT decomposition");
  return f;
}

Matrix eigenValues(const Matrix& a, const char* function) {
  Matrix vectors;
  return solve(a, function, vectors);
}

Matrix eigenVectors(const Matrix& a) {
  Matrix vectors;
  solve(a, "mtrx_eigenVectors", vectors);
  return vectors;
}

bool isPosSemiDef(const Matrix& a) { return eigenValues(a, "mtrx_isPosSemiDef")(0) >= 0.0; }

bool isNegSemiDef(const Matrix& a) {
  const Matrix values = eigenValues(a, "mtrx_isNegSemiDef");
  return values(values.rows() - 1) <= 0.0;
}

}  // namespace ZR
