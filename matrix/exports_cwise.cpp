// Coefficient-wise worksheet functions and the two precision tests.
#include "matrix/cwise.h"
#include "matrix/handles.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

namespace {

// work(A, B) on two stored matrices, the first looked up first.
template <class Work>
LPXLOPER onTwo(OPER& result, const char* first, const char* second, Work work) {
  return framed(result, [&] {
    const ZR::Matrix& a = ZR::matrixFromHandle(first);
    const ZR::Matrix& b = ZR::matrixFromHandle(second);
    result = work(a, b);
  });
}

LPXLOPER binary(OPER& result, ZR::Cwise op, const char* first, const char* second) {
  return onTwo(result, first, second,
               [op](const ZR::Matrix& a, const ZR::Matrix& b) { return ZR::store(ZR::cwise(op, a, b)); });
}

// The handle of work(M), M the stored matrix.
template <class Work>
LPXLOPER onOne(OPER& result, const char* handle, Work work) {
  return framed(result, [&] { result = ZR::store(work(ZR::matrixFromHandle(handle))); });
}

}  // namespace

XLL_PROC(LPXLOPER, mtrx_cwiseMin, "?mtrx_cwiseMin", (char* mtrx1, char* mtrx2, LPXLOPER trigger)) {
  static OPER result;
  return binary(result, ZR::Cwise::Min, mtrx1, mtrx2);
}

XLL_PROC(LPXLOPER, mtrx_cwiseMax, "?mtrx_cwiseMax", (char* mtrx1, char* mtrx2, LPXLOPER trigger)) {
  static OPER result;
  return binary(result, ZR::Cwise::Max, mtrx1, mtrx2);
}

XLL_PROC(LPXLOPER, mtrx_cwiseProd, "?mtrx_cwiseProd", (char* mtrx1, char* mtrx2, LPXLOPER trigger)) {
  static OPER result;
  return binary(result, ZR::Cwise::Prod, mtrx1, mtrx2);
}

XLL_PROC(LPXLOPER, mtrx_cwiseQuot, "?mtrx_cwiseQuot", (char* mtrx1, char* mtrx2, LPXLOPER trigger)) {
  static OPER result;
  return binary(result, ZR::Cwise::Quot, mtrx1, mtrx2);
}

XLL_PROC(LPXLOPER, mtrx_cwiseSqrt, "?mtrx_cwiseSqrt", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onOne(result, mtrx, ZR::cwiseSqrt);
}

XLL_PROC(LPXLOPER, mtrx_cwiseInverse, "?mtrx_cwiseInverse", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onOne(result, mtrx, ZR::cwiseInverse);
}

XLL_PROC(LPXLOPER, mtrx_abs, "?mtrx_abs", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return onOne(result, mtrx, ZR::cwiseAbs);
}

XLL_PROC(LPXLOPER, mtrx_coeffCapFloor, "?mtrx_coeffCapFloor",
         (char* mtrx, double cap, double floor, LPXLOPER trigger)) {
  static OPER result;
  return onOne(result, mtrx, [=](const ZR::Matrix& m) { return ZR::coeffCapFloor(m, cap, floor); });
}

XLL_PROC(LPXLOPER, mtrx_coeffCap, "?mtrx_coeffCap", (char* mtrx, double cap, LPXLOPER trigger)) {
  static OPER result;
  return onOne(result, mtrx, [=](const ZR::Matrix& m) { return ZR::coeffCap(m, cap); });
}

XLL_PROC(LPXLOPER, mtrx_coeffFloor, "?mtrx_coeffFloor", (char* mtrx, double floor, LPXLOPER trigger)) {
  static OPER result;
  return onOne(result, mtrx, [=](const ZR::Matrix& m) { return ZR::coeffFloor(m, floor); });
}

XLL_PROC(LPXLOPER, mtrx_isApprox, "?mtrx_isApprox",
         (char* mtrx1, char* mtrx2, double precision, LPXLOPER trigger)) {
  static OPER result;
  return onTwo(result, mtrx1, mtrx2, [=](const ZR::Matrix& a, const ZR::Matrix& b) {
    return OPER(ZR::isApprox(a, b, precision));
  });
}

XLL_PROC(LPXLOPER, mtrx_isMuchSmallerThan, "?mtrx_isMuchSmallerThan",
         (char* mtrx1, char* mtrx2, double precision, LPXLOPER trigger)) {
  static OPER result;
  return onTwo(result, mtrx1, mtrx2, [=](const ZR::Matrix& a, const ZR::Matrix& b) {
    return OPER(ZR::isMuchSmallerThan(a, b, precision));
  });
}
