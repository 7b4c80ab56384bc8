// Worksheet functions that make a matrix from worksheet values.
#include "matrix/creation.h"
#include "matrix/handles.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

XLL_PROC(LPXLOPER, mtrx_create, "?mtrx_create", (FP* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::fromArray(mtrx->rows, mtrx->columns, mtrx->array)); });
}

XLL_PROC(LPXLOPER, mtrx_random, "?mtrx_random", (int rows, int cols, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::randomMatrix(rows, cols)); });
}

XLL_PROC(LPXLOPER, mtrx_identity, "?mtrx_identity", (int rows, int cols, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::identityMatrix(rows, cols)); });
}

XLL_PROC(LPXLOPER, mtrx_zero, "?mtrx_zero", (int rows, int cols, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::constantMatrix(rows, cols, 0.0)); });
}

XLL_PROC(LPXLOPER, mtrx_constant, "?mtrx_constant", (int rows, int cols, double value, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::constantMatrix(rows, cols, value)); });
}
