// Element, row, column and block worksheet functions: reads, norms, joins
// and edits. Edits store an edited copy; the operand is never changed.
#include "matrix/access.h"
#include "matrix/handles.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;
using ZR::Matrix;
using ZR::matrixFromHandle;
using ZR::store;

XLL_PROC(LPXLOPER, mtrx_dotProd, "?mtrx_dotProd", (char* mtrx1, char* mtrx2, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const Matrix& a = matrixFromHandle(mtrx1);
    const Matrix& b = matrixFromHandle(mtrx2);
    result = ZR::dotProd(a, b);
  });
}

XLL_PROC(LPXLOPER, mtrx_row, "?mtrx_row", (char* mtrx, int i, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = store(ZR::row(matrixFromHandle(mtrx), i)); });
}

XLL_PROC(LPXLOPER, mtrx_column, "?mtrx_column", (char* mtrx, int i, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = store(ZR::column(matrixFromHandle(mtrx), i)); });
}

XLL_PROC(LPXLOPER, mtrx_diagnol, "?mtrx_diagnol", (char* mtrx, int i, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = store(ZR::diagonal(matrixFromHandle(mtrx), i)); });
}

XLL_PROC(LPXLOPER, mtrx_squaredNorm, "?mtrx_squaredNorm", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::squaredNorm(matrixFromHandle(mtrx)); });
}

XLL_PROC(LPXLOPER, mtrx_norm, "?mtrx_norm", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::norm(matrixFromHandle(mtrx)); });
}

XLL_PROC(LPXLOPER, mtrx_block, "?mtrx_block", (char* mtrx, int i, int j, int p, int q, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = store(ZR::block(matrixFromHandle(mtrx), i, j, p, q)); });
}

XLL_PROC(LPXLOPER, mtrx_replaceblock, "?mtrx_replaceblock",
         (char* mtrx, char* mtrxBlock, int i, int j, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const Matrix& m = matrixFromHandle(mtrx);
    const Matrix& b = matrixFromHandle(mtrxBlock);
    result = store(ZR::replaceBlock(m, b, i, j));
  });
}

XLL_PROC(LPXLOPER, mtrx_append, "?mtrx_append", (char* mtrx1, char* mtrx2, short vertical, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const Matrix& a = matrixFromHandle(mtrx1);
    const Matrix& b = matrixFromHandle(mtrx2);
    result = store(ZR::append(a, b, vertical != 0));
  });
}

XLL_PROC(LPXLOPER, mtrx_setDiagonal, "?mtrx_setDiagonal",
         (char* mtrx, char* diagonalMatrix, int diagIndex, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const Matrix& m = matrixFromHandle(mtrx);
    const Matrix& d = matrixFromHandle(diagonalMatrix);
    result = store(ZR::setDiagonal(m, d, diagIndex));
  });
}

XLL_PROC(LPXLOPER, mtrx_setRow, "?mtrx_setRow", (char* mtrx, char* rowMtrx, int rowIndex, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const Matrix& m = matrixFromHandle(mtrx);
    const Matrix& w = matrixFromHandle(rowMtrx);
    result = store(ZR::setRow(m, w, rowIndex));
  });
}

XLL_PROC(LPXLOPER, mtrx_setColumn, "?mtrx_setColumn",
         (char* mtrx, char* colMtrx, int colIndex, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const Matrix& m = matrixFromHandle(mtrx);
    const Matrix& v = matrixFromHandle(colMtrx);
    result = store(ZR::setColumn(m, v, colIndex));
  });
}

XLL_PROC(LPXLOPER, mtrx_setElement, "?mtrx_setElement",
         (char* mtrx, double val, int rowIndex, int colIndex, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = store(ZR::setElement(matrixFromHandle(mtrx), val, rowIndex, colIndex)); });
}
