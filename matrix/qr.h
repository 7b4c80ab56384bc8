// Householder QR decompositions, without, with column and with full
// pivoting, right at any scale of a's values. Each refuses a matrix holding
// NaN or infinity. Plain C++ over Eigen.
#pragma once

#include "matrix/matrix.h"

namespace ZR {

// The packed r x c QR matrix: R on and above the diagonal, the essential
// parts of the Householder vectors below it.
Matrix householderQr(const Matrix& a);
// Refuses a matrix without columns.
Matrix colPivHouseholderQr(const Matrix& a);

enum class QRFactor { Packed, R, Q };
// The packed matrix, R (r x c) or Q (r x r, row pivoting folded in).
Matrix fullPivHouseholderQr(const Matrix& a, QRFactor factor);

}  // namespace ZR
