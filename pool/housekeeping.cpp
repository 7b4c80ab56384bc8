// Housekeeping and utility worksheet functions, and the command "XLL.MACRO".
#include "addin/categories.h"
#include "platform/export.h"
#include "pool/frame.h"
#include "xll/register.h"

using namespace xll;

const CategoryTable& ZR::HouseKeepingCategory() {
  static const CategoryTable table{
      "ZR_HouseKeeping",
      "The House keeping function for managing object pool.",
      "The library gives the user more control over the housekeeping functionalities.",
      CategoryTable::DocumentationFirst,
      {
          {"hf_count", "P!#", {}, "Returns the object count in the handle factory."},
          {"hf_xllversion", "P#", {}, "Returns the version of the addin."},
          {"hf_getError", "P#", {{"R", "CellRef", "is the reference cell"}}, "gets the error."},
      },
      {{"?xll_macro", "XLL.MACRO"}},
  };
  return table;
}

const CategoryTable& ZR::UtilsCategory() {
  static const CategoryTable table{
      "ZR_Utils",
      "These are the utility functions.",
      "Assorted platter of utility functions. Check the help on individual functions for more "
      "details.",
      CategoryTable::DocumentationFirst,
      {
          {"util_fnsearch", "P", {{"P", "Pattern", "Is an optional wildcard pattern to match. "}},
           "Get a list of the Excel Function names based on the input serach string."},
          {"util_eval", "R", {{"P#", "Expr", "is an expression to be evaluated."}},
           "This function calls xlfEvaluate on Expr."},
          {"util_depends", "R",
           {{"R", "Value", "is the value to be returned."},
            {"R", "Dependent",
             "is a reference to a cell that is required to be computed before Value. "}},
           "Return Value after Dependent has been computed."},
      },
      {},
  };
  return table;
}

XLL_PROC(LPXLOPER, hf_count, "?hf_count", ()) {
  static OPER result;
  return framed(result, [] { result = static_cast<double>(handleFactory::instance().count()); });
}

XLL_PROC(LPXLOPER, hf_xllversion, "?hf_xllversion", ()) {
  static OPER result;
  return framed(result, [] { result = "0.0.2"; });
}

XLL_PROC(LPXLOPER, hf_getError, "?hf_getError", (LPXLOPER cellRef)) {
  static OPER result;
  return framed(result, [&] {
    OPER ref = Excel(xlfReftext, *cellRef, OPER(true)).copy();
    const std::string* message = handleFactory::instance().error(ref);
    if (!message)
      result = OPER::error(xlerrValue);
    else  // a host text holds 255 characters: the reason is never lost
      result = message->substr(0, limits<xloper>::maxchars);
  });
}

XLL_PROC(LPXLOPER, util_fnsearch, "?util_fnsearch", (LPXLOPER pattern)) {
  static OPER result;
  static const FrameSteps steps{FrameSteps::NilResult, false, false, FrameSteps::AlertMessage};
  return framed(
      result,
      [&] {
        const OPER& p = OPER::as(*pattern);
        if (p.xltype != xltypeMissing && p.xltype != xltypeStr) return;
        for (const AddIn* addin : AddIn::List()) {
          if (addin->isDocumentation()) continue;
          const OPER& name = addin->Args()[ArgFunction];
          if (p.xltype == xltypeStr && to_double(*Excel(xlfSearch, p, name)) != 1) continue;
          result.push_back(name);
        }
      },
      steps);
}

XLL_PROC(LPXLOPER, util_eval, "?util_eval", (LPXLOPER expr)) {
  static OPER result;
  static const FrameSteps steps{FrameSteps::KeepResult, false, false, FrameSteps::ValueOnly};
  return framed(result, [&] { result = Excel(xlfEvaluate, *expr).copy(); }, steps);
}

// Value, once Dependent has been calculated; no value asks the host to
// calculate Dependent first and call again.
XLL_PROC(LPXLOPER, util_depends, "?util_depends", (LPXLOPER value, LPXLOPER dependent)) {
  platform::FpScope standard;
  return Excel4(xlCoerce, nullptr, 1, dependent) == xlretUncalced ? nullptr : value;
}

XLL_PROC(int, xll_macro, "?xll_macro", ()) {
  platform::FpScope standard;
  try {
    Excel(xlcAlert, *Excel(xlGetName));
    Excel(xlcAlert, *Excel(xlSheetNm, *Excel(xlfCaller)));
    return 1;
  } catch (...) {
    return 0;
  }
}
