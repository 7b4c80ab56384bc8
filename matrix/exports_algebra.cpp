// Worksheet functions of matrix algebra, shape and display.
#include <cstddef>

#include "matrix/algebra.h"
#include "matrix/handles.h"
#include "platform/export.h"
#include "pool/frame.h"
#include "xll/ensure.h"

using namespace xll;

namespace {

// The host array of a matrix's values; missing when it has none. The classic
// array holds at most 255 columns and 65,535 values.
OPER display(const ZR::Matrix& m) {
  if (m.size() == 0) return OPER::missing();
  XLL_ENSURE_TEXT("XOPER<xloper>::realloc", m.cols() <= 255, "c <= xll::limits<X>::maxcols");
  XLL_ENSURE_TEXT("xll::index", m.size() <= 65535, "i < size(x)");
  OPER a(static_cast<std::size_t>(m.rows()), static_cast<std::size_t>(m.cols()));
  const double* x = m.data();
  for (Eigen::Index k = 0; k < m.size(); ++k) a[static_cast<std::size_t>(k)] = x[k];
  return a;
}

}  // namespace

XLL_PROC(LPXLOPER, mtrx_asDiagonal, "?mtrx_asDiagonal", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::asDiagonal(ZR::matrixFromHandle(mtrx))); });
}

XLL_PROC(LPXLOPER, mtrx_rows, "?mtrx_rows", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = static_cast<double>(ZR::matrixFromHandle(mtrx).rows()); });
}

XLL_PROC(LPXLOPER, mtrx_cols, "?mtrx_cols", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = static_cast<double>(ZR::matrixFromHandle(mtrx).cols()); });
}

XLL_PROC(LPXLOPER, mtrx_display, "?mtrx_display", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = display(ZR::matrixFromHandle(mtrx)); });
}

XLL_PROC(LPXLOPER, mtrx_add, "?mtrx_add", (char* first, char* second, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    result = ZR::store(ZR::add(ZR::matrixFromHandle(first), ZR::matrixFromHandle(second)));
  });
}

XLL_PROC(LPXLOPER, mtrx_minus, "?mtrx_minus", (char* first, char* second, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    result = ZR::store(ZR::minus(ZR::matrixFromHandle(first), ZR::matrixFromHandle(second)));
  });
}

XLL_PROC(LPXLOPER, mtrx_multiply, "?mtrx_multiply", (char* first, char* second, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    result = ZR::store(ZR::multiply(ZR::matrixFromHandle(first), ZR::matrixFromHandle(second)));
  });
}

XLL_PROC(LPXLOPER, mtrx_multiplyConst, "?mtrx_multiplyConst", (char* first, double c, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::multiplyConst(ZR::matrixFromHandle(first), c)); });
}

XLL_PROC(LPXLOPER, mtrx_adjoint, "?mtrx_adjoint", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::transpose(ZR::matrixFromHandle(mtrx))); });
}

XLL_PROC(LPXLOPER, mtrx_transpose, "?mtrx_transpose", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::transpose(ZR::matrixFromHandle(mtrx))); });
}

XLL_PROC(LPXLOPER, mtrx_triangularView, "?mtrx_triangularView", (char* mtrx, char* mode, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::triangularView(ZR::matrixFromHandle(mtrx), mode)); });
}
