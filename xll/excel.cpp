#include "xll/excel.h"

#include <cstdarg>

namespace xll {

const char* returnCodeText(int code) {
  switch (code) {
    case xlretSuccess: return "no error";
    case xlretAbort: return "Excel returned macro halted";
    case xlretInvXlfn: return "Excel returned invalid function number";
    case xlretInvCount: return "Excel returned invalid number of arguments";
    case xlretInvXloper: return "Excel returned invalid OPER structure";
    case xlretStackOvfl: return "Excel returned stack overflow";
    case xlretFailed: return "Excel returned command failed";
    case xlretUncalced: return "Excel returned uncalced cell";
    case xlretNotThreadSafe: return "Excel returned not allowed during multi-threaded calc";
    case xlretInvAsynchronousContext: return "Excel returned invalid asynchronous function handle";
    case xlretNotClusterSafe: return "Excel returned not supported on cluster";
    default: return "Excel returned an unknown error! This should never happen";
  }
}

int traits<xloper>::Excelv(int xlfn, xloper* res, int count, xloper** opers) {
  XLL_ENSURE_TEXT("xll::traits<struct xloper>::Excel",
                  count >= 0 && static_cast<size_t>(count) <= limits<xloper>::maxargs,
                  "count <= limits<XLOPER>::maxargs");
  return Excel4v(xlfn, res, count, opers);
}

namespace {
// The variadic form: the value pointers into an array for the array form.
template <class X>
int excelList(int xlfn, X* res, int count, va_list ap) {
  X* opers[limits<X>::maxargs];
  int n = count >= 0 && static_cast<size_t>(count) <= limits<X>::maxargs ? count : 0;
  for (int i = 0; i < n; ++i) opers[i] = va_arg(ap, X*);
  return traits<X>::Excelv(xlfn, res, count, opers);  // checks the count
}

// A va_list that is ended however the call leaves.
struct Arguments {
  va_list ap;
  ~Arguments() { va_end(ap); }
};
}  // namespace

int traits<xloper>::Excel(int xlfn, xloper* res, int count, ...) {
  Arguments args;
  va_start(args.ap, count);
  return excelList(xlfn, res, count, args.ap);
}

namespace {
// The host's wide entry, looked up once in the host's own process image.
MdCallBack12Proc wideEntry() {
  static MdCallBack12Proc entry = [] {
    HMODULE host = GetModuleHandleA(nullptr);
    return host ? reinterpret_cast<MdCallBack12Proc>(
                      reinterpret_cast<void*>(GetProcAddress(host, "MdCallBack12")))
                : nullptr;
  }();
  return entry;
}
}  // namespace

int traits<xloper12>::Excelv(int xlfn, xloper12* res, int count, xloper12** opers) {
  XLL_ENSURE_TEXT("xll::traits<struct xloper12>::Excel",
                  count >= 0 && static_cast<size_t>(count) <= limits<xloper12>::maxargs,
                  "count <= limits<XLOPER12>::maxargs");
  MdCallBack12Proc entry = wideEntry();
  if (!entry) return xlretFailed;
  return entry(xlfn, count, opers, res);
}

int traits<xloper12>::Excel(int xlfn, xloper12* res, int count, ...) {
  Arguments args;
  va_start(args.ap, count);
  return excelList(xlfn, res, count, args.ap);
}

std::string narrow(const OPER& text) { return text.text(); }

std::string narrow(const OPER12& text) {
  std::string s;
  for (char16_t c : text.text()) s += c < 256 ? static_cast<char>(c) : '?';
  return s;
}

const OPER& ModuleName() {
  static const OPER name = Excel(xlGetName).copy();
  return name;
}

const std::string& ModuleNameText() {
  static const std::string text = ModuleName().text();
  return text;
}

OPER CallerRef() {
  ExcelOwnedOper caller = Excel(xlfCaller);
  return Excel(xlfReftext, *caller, OPER(true)).copy();
}

}  // namespace xll
