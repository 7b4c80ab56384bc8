#include "matrix/lu.h"

#include <algorithm>
#include <string>

#include "matrix/kernels.h"

namespace ZR {

namespace {

template <class Indices>
Matrix permutation(const Indices& index) {
  const Eigen::Index n = index.size();
  Matrix p = newMatrix(n, n);
  p.setZero();
  for (Eigen::Index i = 0; i < n; ++i) p(index(i), i) = 1.0;
  return p;
}

void requireSquare(const Matrix& a, const char* function) {
  if (a.rows() != a.cols())
    throw std::string("ZR::uBlasMatrix::") + function + " - Input matrix is not square";
}

}  // namespace

FullPivLU fullPivLU(const Matrix& a) {
  if (a.size() == 0) throw std::string("ZR::uBlasMatrix::mtrx_fullPivLU - Input matrix is empty");
  requireFinite(a, "mtrx_fullPivLU");
  return FullPivLU(a);
}

Matrix unitLower(const Matrix& packed) {
  Matrix l = newMatrix(packed.rows(), packed.cols());
  l = packed.triangularView<Eigen::StrictlyLower>();
  l.diagonal().setOnes();
  return l;
}

Matrix upperPart(const Matrix& packed) {
  Matrix u = newMatrix(packed.rows(), packed.cols());
  u = packed.triangularView<Eigen::Upper>();
  return u;
}

Matrix extract(const FullPivLU& lu, LUFactor factor) {
  switch (factor) {
    case LUFactor::L: return unitLower(lu.matrixLU());
    case LUFactor::U: return upperPart(lu.matrixLU());
    case LUFactor::P: return permutation(lu.permutationP().indices());
    case LUFactor::Q: return permutation(lu.permutationQ().indices());
    case LUFactor::Packed: break;
  }
  return lu.matrixLU();
}

Matrix partialPivLU(const Matrix& a) {
  requireSquare(a, "mtrx_partialPivLU");
  requireFinite(a, "mtrx_partialPivLU");
  if (a.size() == 0) return Matrix(0, 0);
  Matrix lu = a;
  kernels().partialPivLU(lu.data(), lu.rows());
  return lu;
}

// An empty matrix is answered by its shape: rank 0, so the kernel is the
// identity (c x 1 zeros when c is 0) and the image r x 1 zeros.
bool isInvertible(const Matrix& a) {
  requireFinite(a, "mtrx_isInvertible");
  if (a.size() == 0) return a.rows() == a.cols();
  return FullPivLU(a).isInvertible();
}

Eigen::Index rank(const Matrix& a) {
  requireFinite(a, "mtrx_rank");
  return a.size() == 0 ? 0 : FullPivLU(a).rank();
}

Matrix kernel(const Matrix& a) {
  requireFinite(a, "mtrx_kernel");
  const Eigen::Index c = a.cols();
  if (a.size() == 0) {
    Matrix k = newMatrix(c, c == 0 ? 1 : c);
    k.setIdentity();
    return k;
  }
  const FullPivLU lu(a);
  checkSize(c, std::max<Eigen::Index>(c - lu.rank(), 1));
  return lu.kernel();
}

Matrix image(const Matrix& a) {
  requireFinite(a, "mtrx_image");
  if (a.size() == 0) {
    Matrix zeros = newMatrix(a.rows(), 1);
    zeros.setZero();
    return zeros;
  }
  return FullPivLU(a).image(a);
}

Matrix inverse(const Matrix& a) {
  requireFinite(a, "mtrx_invert");
  if (a.rows() == 0 && a.cols() == 0) return Matrix(0, 0);
  if (a.size() != 0) {
    const FullPivLU lu(a);
    if (lu.isInvertible()) return lu.inverse();
  }
  throw std::string("ZR::uBlasMatrix::mtrx_invert - Input matrix is not invertible");
}

double determinant(const Matrix& a) {
  requireSquare(a, "mtrx_det");
  if (a.rows() == 0) return 1.0;
  Matrix lu = a;
  return kernels().partialPivLU(lu.data(), lu.rows());
}

}  // namespace ZR
