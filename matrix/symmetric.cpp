#include "matrix/symmetric.h"

#include <string>

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

using Solver = Eigen::SelfAdjointEigenSolver<Matrix>;

void solve(Solver& solver, const Matrix& a, const char* function) {
  solver.compute(lowerSymmetric(a, function), Eigen::ComputeEigenvectors);
  if (solver.info() != Eigen::Success) fail(function, "Eigen solver did not converge");
}

}  // namespace

Matrix cholesky(const Matrix& a, bool upper) {
  const Eigen::LLT<Matrix> llt(lowerSymmetric(a, "mtrx_cholesky"));
  if (llt.info() != Eigen::Success) fail("mtrx_cholesky", "Input matrix is not positive definite");
  Matrix f = newMatrix(a.rows(), a.cols());
  if (upper)
    f = llt.matrixU();
  else
    f = llt.matrixL();
  return f;
}

Matrix ldlt(const Matrix& a, LDLTFactor factor) {
  const Eigen::LDLT<Matrix> ldlt(lowerSymmetric(a, "mtrx_ldlt"));
  if (ldlt.info() != Eigen::Success) fail("mtrx_ldlt", "Input matrix has no LDLT decomposition");
  Matrix f = newMatrix(a.rows(), a.cols());
  switch (factor) {
    case LDLTFactor::L: f = ldlt.matrixL(); break;
    case LDLTFactor::U: f = ldlt.matrixU(); break;
    case LDLTFactor::D: f = ldlt.vectorD().asDiagonal(); break;
  }
  return f;
}

Matrix eigenValues(const Matrix& a, const char* function) {
  Solver solver;
  solve(solver, a, function);
  return solver.eigenvalues();
}

Matrix eigenVectors(const Matrix& a) {
  Solver solver;
  solve(solver, a, "mtrx_eigenVectors");
  return solver.eigenvectors();
}

bool isPosSemiDef(const Matrix& a) { return eigenValues(a, "mtrx_isPosSemiDef")(0) >= 0.0; }

bool isNegSemiDef(const Matrix& a) {
  const Matrix values = eigenValues(a, "mtrx_isNegSemiDef");
  return values(values.rows() - 1) <= 0.0;
}

}  // namespace ZR
