// Worksheet functions that reduce a matrix to a number or test it.
#include "matrix/handles.h"
#include "matrix/reductions.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

namespace {

// Runs the frame with result = f(the matrix under the handle).
template <class F>
LPXLOPER onMatrix(OPER& result, const char* mtrx, F f) {
  return framed(result, [&] { result = f(ZR::matrixFromHandle(mtrx)); });
}

}  // namespace

XLL_PROC(LPXLOPER, mtrx_isEqual, "?mtrx_isEqual", (char* mtrx1, char* mtrx2, LPXLOPER trigger)) {
  static OPER result;
  return framed(result,
                [&] { result = ZR::isEqual(ZR::matrixFromHandle(mtrx1), ZR::matrixFromHandle(mtrx2)); });
}

XLL_PROC(LPXLOPER, mtrx_coeffSum, "?mtrx_coeffSum", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, ZR::coeffSum);
}

XLL_PROC(LPXLOPER, mtrx_coeffProd, "?mtrx_coeffProd", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, ZR::coeffProd);
}

XLL_PROC(LPXLOPER, mtrx_coeffMean, "?mtrx_coeffMean", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, ZR::coeffMean);
}

XLL_PROC(LPXLOPER, mtrx_coeffMin, "?mtrx_coeffMin", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, ZR::coeffMin);
}

XLL_PROC(LPXLOPER, mtrx_coeffMax, "?mtrx_coeffMax", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, ZR::coeffMax);
}

XLL_PROC(LPXLOPER, mtrx_coeffTrace, "?mtrx_coeffTrace", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, ZR::coeffTrace);
}

XLL_PROC(LPXLOPER, mtrx_isIdentity, "?mtrx_isIdentity", (char* mtrx, double precision, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, [&](const ZR::Matrix& m) { return ZR::isIdentity(m, precision); });
}

XLL_PROC(LPXLOPER, mtrx_isZero, "?mtrx_isZero", (char* mtrx, double precision, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, [&](const ZR::Matrix& m) { return ZR::isZero(m, precision); });
}

XLL_PROC(LPXLOPER, mtrx_isConstant, "?mtrx_isConstant",
         (char* mtrx, double c, double precision, LPXLOPER trigger)) {
  static OPER result;
  return onMatrix(result, mtrx, [&](const ZR::Matrix& m) { return ZR::isConstant(m, c, precision); });
}
