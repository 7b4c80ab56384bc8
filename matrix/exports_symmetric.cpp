// Worksheet functions on symmetric matrices: Cholesky, LDLT, eigenvalues,
// eigenvectors and the semi-definiteness tests.
#include <string>

#include "matrix/handles.h"
#include "matrix/symmetric.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

// The option is checked after the lookup and before the decomposition.
XLL_PROC(LPXLOPER, mtrx_cholesky, "?mtrx_cholesky", (char* mtrx, char* opt, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const ZR::Matrix& a = ZR::matrixFromHandle(mtrx);
    const int k = ZR::optionChoice(opt, {"l", "", "u"});
    if (k < 0)
      throw std::string(
          "ZR::uBlasMatrix::mtrx_cholesky::Invalid value for opt. Expected 'l' or 'u'. This option is "
          "case sensitive.");
    result = ZR::store(ZR::cholesky(a, k == 2));
  });
}

XLL_PROC(LPXLOPER, mtrx_ldlt, "?mtrx_ldlt", (char* mtrx, char* opt, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    using F = ZR::LDLTFactor;
    static const F factors[] = {F::L, F::L, F::U, F::D};
    const ZR::Matrix& a = ZR::matrixFromHandle(mtrx);
    const int k = ZR::optionChoice(opt, {"l", "", "u", "d"});
    // "d" is refused for a matrix of one column, as an unknown option is.
    if (k < 0 || (k == 3 && a.cols() <= 1)) {
      if (a.rows() == 1) throw std::string("ZR::uBlasMatrix::mtrx_ldlt:: Invalid input matrix");
      throw std::string(
          "ZR::uBlasMatrix::mtrx_ldlt::Invalid value for opt. Expected 'l' , 'd' or 'u'. This option is "
          "case sensitive.");
    }
    result = ZR::store(ZR::ldlt(a, factors[k]));
  });
}

XLL_PROC(LPXLOPER, mtrx_isPosSemiDef, "?mtrx_isPosSemiDef", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::isPosSemiDef(ZR::matrixFromHandle(mtrx)); });
}

XLL_PROC(LPXLOPER, mtrx_isNegSemiDef, "?mtrx_isNegSemiDef", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::isNegSemiDef(ZR::matrixFromHandle(mtrx)); });
}

XLL_PROC(LPXLOPER, mtrx_eigenValues, "?mtrx_eigenValues", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::eigenValues(ZR::matrixFromHandle(mtrx))); });
}

XLL_PROC(LPXLOPER, mtrx_eigenVectors, "?mtrx_eigenVectors", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::eigenVectors(ZR::matrixFromHandle(mtrx))); });
}
