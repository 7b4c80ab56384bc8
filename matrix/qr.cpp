#include "matrix/qr.h"

#include <string>
#include <utility>

#include "matrix/kernels.h"
#include "matrix/lu.h"
#include "matrix/wide.h"

namespace ZR {

namespace {

// Householder steps sum squares unscaled, which underflow or overflow far
// from 1. Scaling by a power of two is exact: each decomposition takes
// a * 2^-e, whose largest magnitude lies in [0.5, 1), and gives R back
// times 2^e; Q and the Householder vectors do not depend on the scale.
class Scale {
 public:
  Scale(const Matrix& a, const char* function) {
    requireFinite(a, function);
    e_ = scaleExponent(a);
    up_ = PowerOfTwo(e_);
  }
  // The scaled matrix as an expression, evaluated into the decomposition.
  auto of(const Matrix& a) const { return timesPowerOfTwo(a, -e_); }
  // A packed QR matrix or R with its upper part (R) scaled back.
  Matrix back(Matrix packed) const {
    for (Eigen::Index i = 0; i < packed.rows(); ++i)
      for (Eigen::Index j = i; j < packed.cols(); ++j) packed(i, j) = up_.times(packed(i, j));
    return packed;
  }

 private:
  int e_ = 0;
  PowerOfTwo up_;
};

}  // namespace

Matrix householderQr(const Matrix& a) {
  const Scale s(a, "mtrx_houseHolderQr");
  Matrix qr = s.of(a);
  kernels().householderQr(qr.data(), qr.rows(), qr.cols());
  return s.back(std::move(qr));
}

Matrix colPivHouseholderQr(const Matrix& a) {
  // The column norms' maximum does not exist without columns.
  if (a.cols() == 0)
    throw std::string("ZR::uBlasMatrix::mtrx_colPivHouseholderQr - Input matrix has no columns");
  const Scale s(a, "mtrx_colPivHouseholderQr");
  return s.back(Eigen::ColPivHouseholderQR<Matrix>(s.of(a)).matrixQR());
}

Matrix fullPivHouseholderQr(const Matrix& a, QRFactor factor) {
  if (factor == QRFactor::Q) checkSize(a.rows(), a.rows());
  const Scale s(a, "mtrx_fullPivHouseholderQr");
  const Eigen::FullPivHouseholderQR<Matrix> qr(s.of(a));
  switch (factor) {
    case QRFactor::R: return s.back(upperPart(qr.matrixQR()));
    case QRFactor::Q: return qr.matrixQ();
    case QRFactor::Packed: break;
  }
  return s.back(qr.matrixQR());
}

}  // namespace ZR
