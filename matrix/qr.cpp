#include "matrix/qr.h"

#include <string>

#include "matrix/lu.h"

namespace ZR {

Matrix householderQr(const Matrix& a) { return Eigen::HouseholderQR<Matrix>(a).matrixQR(); }

Matrix colPivHouseholderQr(const Matrix& a) {
  // The column norms' maximum does not exist without columns.
  if (a.cols() == 0)
    throw std::string("ZR::uBlasMatrix::mtrx_colPivHouseholderQr - Input matrix has no columns");
  return Eigen::ColPivHouseholderQR<Matrix>(a).matrixQR();
}

Matrix fullPivHouseholderQr(const Matrix& a, QRFactor factor) {
  if (factor == QRFactor::Q) checkSize(a.rows(), a.rows());
  const Eigen::FullPivHouseholderQR<Matrix> qr(a);
  switch (factor) {
    case QRFactor::R: return upperPart(qr.matrixQR());
    case QRFactor::Q: return qr.matrixQ();
    case QRFactor::Packed: break;
  }
  return qr.matrixQR();
}

}  // namespace ZR
