// QR worksheet functions: Householder QR without, with column and with full
// pivoting; one factor per call.
#include <string>

#include "matrix/handles.h"
#include "matrix/lu.h"
#include "matrix/qr.h"
#include "platform/export.h"
#include "pool/frame.h"

using namespace xll;

namespace {

// The packed matrix ("qr", "") or R ("r") of a decomposition already made.
OPER packedOrR(ZR::Matrix packed, const char* opt, const char* function) {
  switch (ZR::optionChoice(opt, {"qr", "", "r"})) {
    case 0:
    case 1: return ZR::store(std::move(packed));
    case 2: return ZR::store(ZR::upperPart(packed));
  }
  throw std::string("ZR::uBlasMatrix::") + function +
      "::Invalid value for opt. This option is case sensitive.";
}

}  // namespace

XLL_PROC(LPXLOPER, mtrx_houseHolderQr, "?mtrx_houseHolderQr", (char* mtrx, char* opt, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    result = packedOrR(ZR::householderQr(ZR::matrixFromHandle(mtrx)), opt, "mtrx_houseHolderQr");
  });
}

XLL_PROC(LPXLOPER, mtrx_colPivHouseholderQr, "?mtrx_colPivHouseholderQr",
         (char* mtrx, char* opt, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    result = packedOrR(ZR::colPivHouseholderQr(ZR::matrixFromHandle(mtrx)), opt, "mtrx_colPivHouseholderQr");
  });
}

// The option is checked after the lookup and before the decomposition.
XLL_PROC(LPXLOPER, mtrx_fullPivHouseholderQr, "?mtrx_fullPivHouseholderQr",
         (char* mtrx, char* opt, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    using F = ZR::QRFactor;
    static const F factors[] = {F::Packed, F::Packed, F::R, F::Q};
    const ZR::Matrix& a = ZR::matrixFromHandle(mtrx);
    const int k = ZR::optionChoice(opt, {"qr", "", "r", "q"});
    if (k < 0)
      throw std::string(
          "ZR::uBlasMatrix::mtrx_fullPivHouseholderQr::Invalid value for opt. This option is case "
          "sensitive.");
    result = ZR::store(ZR::fullPivHouseholderQr(a, factors[k]));
  });
}
