// Sums, products, transposes, diagonal and triangular matrices.
#pragma once

#include <string>

#include "matrix/matrix.h"

namespace ZR {

// a + b and a - b value by value; the shapes must agree.
Matrix add(const Matrix& a, const Matrix& b);
Matrix minus(const Matrix& a, const Matrix& b);

// a b; a's columns must match b's rows.
Matrix multiply(const Matrix& a, const Matrix& b);

// The kernels of the product: Eigen's for any x86-64 processor, and where the
// build has it a copy for AVX2 and FMA, which multiply() takes when the
// processor has both. Their results may differ in the last bits.
enum class ProductKernel { Baseline, Avx2Fma };

// The kernel multiply() uses on this processor.
ProductKernel productKernel();

// Whether the kernel can run here (Baseline always can).
bool productKernelRuns(ProductKernel kernel);

// a b through the given kernel, or through Baseline when that one cannot run
// here; otherwise as multiply().
Matrix multiply(const Matrix& a, const Matrix& b, ProductKernel kernel);

Matrix multiplyConst(const Matrix& a, double c);

Matrix transpose(const Matrix& a);

// The n x n matrix with a column of n values down its diagonal; a matrix
// without values gives 0 x 0.
Matrix asDiagonal(const Matrix& a);

// The part of a that the mode "u", "l", "uu", "ul", "sl" or "su" selects
// (letter case ignored); any other mode gives 0 x 0.
Matrix triangularView(const Matrix& a, const std::string& mode);

}  // namespace ZR
