// Shape tests, coefficient-wise power and repetition worksheet functions.
#include "matrix/handles.h"
#include "matrix/shape.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;
using ZR::matrixFromHandle;

namespace {

// A test of the stored matrix, as the host's Boolean.
LPXLOPER test(OPER& result, const char* handle, bool (*predicate)(const ZR::Matrix&)) {
  return framed(result, [&] { result = predicate(matrixFromHandle(handle)); });
}

}  // namespace

XLL_PROC(LPXLOPER, mtrx_isDiagonal, "?mtrx_isDiagonal", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return test(result, mtrx, ZR::isDiagonal);
}

XLL_PROC(LPXLOPER, mtrx_isSquare, "?mtrx_isSquare", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return test(result, mtrx, ZR::isSquare);
}

XLL_PROC(LPXLOPER, mtrx_isRow, "?mtrx_isRow", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return test(result, mtrx, ZR::isRow);
}

XLL_PROC(LPXLOPER, mtrx_isColumn, "?mtrx_isColumn", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return test(result, mtrx, ZR::isColumn);
}

XLL_PROC(LPXLOPER, mtrx_cwisePow, "?mtrx_cwisePow", (char* mtrx, double n, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::cwisePow(matrixFromHandle(mtrx), n)); });
}

XLL_PROC(LPXLOPER, mtrx_repeat, "?mtrx_repeat", (char* mtrx, int n, short vertical, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::repeat(matrixFromHandle(mtrx), n, vertical != 0)); });
}
