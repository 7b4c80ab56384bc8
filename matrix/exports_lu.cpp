// LU worksheet functions: the pooled full-pivot LU and its factors, the
// partial-pivot LU, inverse, determinant, rank, kernel and image.
#include <string>

#include "matrix/handles.h"
#include "matrix/lu.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

XLL_PROC(LPXLOPER, mtrx_invert, "?mtrx_invert", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::inverse(ZR::matrixFromHandle(mtrx))); });
}

XLL_PROC(LPXLOPER, mtrx_isInvertible, "?mtrx_isInvertible", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::isInvertible(ZR::matrixFromHandle(mtrx)); });
}

XLL_PROC(LPXLOPER, mtrx_det, "?mtrx_det", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::determinant(ZR::matrixFromHandle(mtrx)); });
}

XLL_PROC(LPXLOPER, mtrx_partialPivLU, "?mtrx_partialPivLU", (char* mtrx, char* opt, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    ZR::Matrix packed = ZR::partialPivLU(ZR::matrixFromHandle(mtrx));
    switch (ZR::optionChoice(opt, {"lu", "", "l", "u"})) {
      case 0:
      case 1: result = ZR::store(std::move(packed)); break;
      case 2: result = ZR::store(ZR::unitLower(packed)); break;
      case 3: result = ZR::store(ZR::upperPart(packed)); break;
      default:
        throw std::string(
            "ZR::uBlasMatrix::mtrx_partialPivLU::Invalid value for opt. This option is case sensitive.");
    }
  });
}

XLL_PROC(LPXLOPER, mtrx_fullPivLU, "?mtrx_fullPivLU", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::fullPivLU(ZR::matrixFromHandle(mtrx))); });
}

// The option is checked before the handle is looked up.
XLL_PROC(LPXLOPER, mtrx_fullPivLUExtract, "?mtrx_fullPivLUExtract", (char* mtrx, char* opt, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    using F = ZR::LUFactor;
    static const F factors[] = {F::Packed, F::Packed, F::L, F::U, F::P, F::Q};
    const int k = ZR::optionChoice(opt, {"lu", "", "l", "u", "p", "q"});
    if (k < 0)
      throw std::string(
          "ZR::uBlasMatrix::mtrx_fullPivLUExtract::Invalid value for opt. This option is case sensitive.");
    result = ZR::store(ZR::extract(ZR::fullPivLUFromHandle(mtrx), factors[k]));
  });
}

XLL_PROC(LPXLOPER, mtrx_rank, "?mtrx_rank", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = static_cast<double>(ZR::rank(ZR::matrixFromHandle(mtrx))); });
}

XLL_PROC(LPXLOPER, mtrx_kernel, "?mtrx_kernel", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::kernel(ZR::matrixFromHandle(mtrx))); });
}

XLL_PROC(LPXLOPER, mtrx_image, "?mtrx_image", (char* mtrx, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = ZR::store(ZR::image(ZR::matrixFromHandle(mtrx))); });
}
