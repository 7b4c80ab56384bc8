// A small add-in for testing the simulated host: one function per argument
// letter, and a few that call back into the host. Written straight against
// the host's value layout, without the project's framework.
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/export.h"
#include "platform/fpstate.h"
#include "platform/winapi.h"
#include "platform/xlcall.h"

namespace {

// A counted text value with its own buffer.
struct Text {
  char buf[257];
  xloper x;
  explicit Text(const std::string& s) {
    size_t n = s.size() > 255 ? 255 : s.size();
    buf[0] = static_cast<char>(n);
    std::memcpy(buf + 1, s.data(), n);
    x.xltype = xltypeStr;
    x.val.str = buf;
  }
};

xloper scalar(WORD type) {
  xloper x{};
  x.xltype = type;
  return x;
}
xloper number(double d) { xloper x = scalar(xltypeNum); x.val.num = d; return x; }
xloper boolean(bool b) { xloper x = scalar(xltypeBool); x.val.xbool = b; return x; }
xloper errorValue(int e) { xloper x = scalar(xltypeErr); x.val.err = static_cast<WORD>(e); return x; }

std::string text(const xloper& x) {
  if ((x.xltype & 0xFFF) != xltypeStr || !x.val.str) return std::string();
  return std::string(x.val.str + 1, static_cast<unsigned char>(x.val.str[0]));
}

// A result the add-in owns, kept until the function's next call.
struct Result {
  xloper x{};
  std::string str;
  std::vector<xloper> elements;
  std::vector<std::string> strings;

  xloper* set(const xloper& from) {
    elements.clear();
    strings.clear();
    x = from;
    if ((from.xltype & 0xFFF) == xltypeStr) {
      str = std::string(1, from.val.str[0]) + text(from);
      x.val.str = &str[0];
    } else if ((from.xltype & 0xFFF) == xltypeMulti) {
      size_t n = static_cast<size_t>(from.val.array.rows) * from.val.array.columns;
      elements.assign(from.val.array.lparray, from.val.array.lparray + n);
      strings.reserve(n);
      for (auto& e : elements)
        if ((e.xltype & 0xFFF) == xltypeStr) {
          strings.push_back(std::string(1, e.val.str[0]) + text(e));
          e.val.str = &strings.back()[0];
        }
      x.val.array.lparray = elements.data();
    }
    x.xltype = static_cast<WORD>(from.xltype & 0xFFF);
    return &x;
  }
  xloper* setText(const std::string& s) {
    Text t(s);
    return set(t.x);
  }
  xloper* setArray(int rows, int columns, const std::vector<double>& values) {
    elements.clear();
    for (double d : values) elements.push_back(number(d));
    x.xltype = xltypeMulti;
    x.val.array.lparray = elements.data();
    x.val.array.rows = static_cast<WORD>(rows);
    x.val.array.columns = static_cast<WORD>(columns);
    return &x;
  }
};

xloper moduleName;  // host-owned during xlAutoOpen
std::vector<double> ids;
std::vector<double> lazyIds;  // registered by ta_register
int volatileCalls = 0;
int plainCalls = 0;

// The id the host gave, 0 when it refused.
double registerOne(const char* procedure, const char* type, const char* function, const char* arguments,
                   int macroType = 1) {
  Text p(procedure), t(type ? type : ""), f(function), a(arguments ? arguments : ""), c("Test");
  Text help(std::string(function) + " for tests."), arg1("first argument.");
  xloper kind = number(macroType), nil = scalar(xltypeNil);
  std::vector<LPXLOPER> args{&moduleName, &p.x, type ? &t.x : &nil, &f.x, &a.x, &kind, &c.x, &nil, &nil,
                             &help.x,     &arg1.x};
  xloper result;
  if (Excel4v(xlfRegister, &result, static_cast<int>(args.size()), args.data()) != xlretSuccess ||
      result.xltype != xltypeNum)
    return 0;
  ids.push_back(result.val.num);
  return result.val.num;
}

}  // namespace

// Present in the module but not exported.
extern "C" __attribute__((visibility("hidden"), used)) double ta_hidden(double x) { return x; }

XLL_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}

// The floating-point state xlAutoOpen ran in.
namespace {
platform::FpState openState;
}  // namespace

XLL_EXPORT int xlAutoOpen() {
  openState = platform::currentFpState();
  if (Excel4(xlGetName, &moduleName, 0) != xlretSuccess) return 0;
  const char* functions[][4] = {
      {"ta_bool", "AA", "ta_bool", "Flag"},          {"ta_sqrt", "PB", "ta_sqrt", "X"},
      {"ta_num", "BB", "ta_num", "X"},               {"ta_cstr", "PC", "ta_cstr", "Text"},
      {"ta_buf", "PF", "ta_buf", "Text"},
      {"ta_fp", "PK", "ta_fp", "Numbers"},           {"ta_echo", "PP", "ta_echo", "Value"},
      {"ta_kind", "JP", "ta_kind", "Value"},         {"ta_ref", "PR#", "ta_ref", "Ref"},
      {"ta_refecho", "RR#", "ta_refecho", "Ref"},    {"ta_vol", "B!", "ta_vol", ""},
      {"ta_count", "BP", "ta_count", "Trigger"},     {"ta_caller", "P#", "ta_caller", ""},
      {"ta_depends", "RRR#", "ta_depends", "Value, Dependent"},
      {"ta_seq", "PJJ", "ta_seq", "Rows, Columns"},
      {"ta_eval", "PC#", "ta_eval", "Formula"},      {"ta_int", "JJ", "ta_int", "N"},
      {"?ta_q", "B", "ta_q", ""},                    {"ta_at@4", "BB", "ta_at", "X"},
      {"ta_hidden", "BB", "ta_hidden", "X"},         {"ta_missing", "BB", "ta_missing", "X"},
      {"ta_register", "BB", "ta_register", "N"},     {"ta_unregister", "P", "ta_unregister", ""},
      {"ta_fpstate", "P", "ta_fpstate", ""},
  };
  for (const auto& f : functions) registerOne(f[0], f[1], f[2], f[3]);
  registerOne("ta_cmd", nullptr, "TA.CMD", nullptr, 2);
  Excel4(xlFree, nullptr, 1, &moduleName);
  return 1;
}

XLL_EXPORT int xlAutoClose() { return 1; }

XLL_EXPORT int xlAutoRemove() {
  for (double id : ids) {
    xloper x = number(id), r;
    Excel4(xlfUnregister, &r, 1, &x);
  }
  ids.clear();
  return 1;
}

XLL_PROC(short, ta_bool_fn, "ta_bool", (short flag)) { return flag; }

XLL_PROC(double, ta_num_fn, "ta_num", (double x)) { return 2 * x; }

XLL_PROC(xloper*, ta_cstr_fn, "ta_cstr", (const char* s)) {
  static Result r;
  return r.setText("[" + std::string(s) + "]");
}

XLL_PROC(xloper*, ta_buf_fn, "ta_buf", (char* buf)) {
  static Result r;
  size_t n = std::strlen(buf);
  for (size_t i = 0; i < n; ++i) buf[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(buf[i])));
  std::memset(buf + n + 1, '#', 255 - n);  // the whole buffer is ours
  return r.setText(buf);
}

XLL_PROC(int, ta_int_fn, "ta_int", (int n)) { return n + 1; }

XLL_PROC(xloper*, ta_fp_fn, "ta_fp", (FP * a)) {
  static Result r;
  double sum = 0;
  for (int i = 0; i < a->rows * a->columns; ++i) sum += a->array[i];
  return r.setArray(1, 3, {double(a->rows), double(a->columns), sum});
}

XLL_PROC(xloper*, ta_echo_fn, "ta_echo", (xloper * x)) { return x; }

XLL_PROC(int, ta_kind_fn, "ta_kind", (xloper * x)) { return x->xltype; }

XLL_PROC(xloper*, ta_ref_fn, "ta_ref", (xloper * x)) {
  static Result r;
  if (x->xltype == xltypeSRef) {
    const XLREF& a = x->val.sref.ref;
    return r.setText("sref " + std::to_string(a.rwFirst) + " " + std::to_string(a.rwLast) + " " +
                     std::to_string(a.colFirst) + " " + std::to_string(a.colLast));
  }
  return r.setText("value " + std::to_string(x->xltype));
}

XLL_PROC(xloper*, ta_refecho_fn, "ta_refecho", (xloper * x)) { return x; }

XLL_PROC(double, ta_vol_fn, "ta_vol", ()) { return ++volatileCalls; }

XLL_PROC(double, ta_count_fn, "ta_count", (xloper*)) { return ++plainCalls; }

XLL_PROC(xloper*, ta_caller_fn, "ta_caller", ()) {
  static Result r;
  xloper caller, ref;
  if (Excel4(xlfCaller, &caller, 0) != xlretSuccess) return r.setText("no caller");
  xloper a1 = boolean(true);
  int rc = Excel4(xlfReftext, &ref, 2, &caller, &a1);
  Excel4(xlFree, nullptr, 1, &caller);
  if (rc != xlretSuccess) return r.set(errorValue(xlerrValue));
  r.set(ref);
  Excel4(xlFree, nullptr, 1, &ref);
  return &r.x;
}

XLL_PROC(xloper*, ta_depends_fn, "ta_depends", (xloper * value, xloper* dependent)) {
  xloper v;
  if (Excel4(xlCoerce, &v, 1, dependent) == xlretUncalced) return nullptr;
  Excel4(xlFree, nullptr, 1, &v);
  return value;
}

XLL_PROC(xloper*, ta_seq_fn, "ta_seq", (int rows, int columns)) {
  static Result r;
  if (rows < 1 || columns < 1) return r.set(errorValue(xlerrValue));
  std::vector<double> v;
  for (int i = 0; i < rows * columns; ++i) v.push_back(i + 1);
  return r.setArray(rows, columns, v);
}

XLL_PROC(xloper*, ta_eval_fn, "ta_eval", (const char* formula)) {
  static Result r;
  Text t(formula);
  xloper v;
  if (Excel4(xlfEvaluate, &v, 1, &t.x) != xlretSuccess) return r.set(errorValue(xlerrNA));
  r.set(v);
  Excel4(xlFree, nullptr, 1, &v);
  return &r.x;
}

XLL_PROC(xloper*, ta_sqrt_fn, "ta_sqrt", (double x)) {
  static Result r;
  return r.set(number(std::sqrt(x)));
}

// The floating-point state of this call and of xlAutoOpen: x87 control word,
// MXCSR control bits, for each.
XLL_PROC(xloper*, ta_fpstate_fn, "ta_fpstate", ()) {
  static Result r;
  platform::FpState now = platform::currentFpState();
  return r.setArray(1, 4, {double(now.x87), double(now.mxcsr), double(openState.x87), double(openState.mxcsr)});
}

XLL_PROC(double, ta_q_fn, "?ta_q", ()) { return 42; }

XLL_PROC(double, ta_at_fn, "ta_at$4", (double x)) { return x + 0.5; }

// Registers n functions ta_lazy1 ... ta_lazyN (ta_num's procedure) during its
// own call, as an add-in that registers lazily does: how many were accepted.
XLL_PROC(double, ta_register_fn, "ta_register", (double n)) {
  if (Excel4(xlGetName, &moduleName, 0) != xlretSuccess) return -1;
  int accepted = 0;
  for (int i = 1; i <= n; ++i) {
    double id = registerOne("ta_num", "BB", ("ta_lazy" + std::to_string(i)).c_str(), "X");
    if (id != 0) lazyIds.push_back(id);
    accepted += id != 0;
  }
  Excel4(xlFree, nullptr, 1, &moduleName);
  return accepted;
}

// Unregisters the functions ta_register made, then itself, during its own
// call: how many the host took back.
XLL_PROC(xloper*, ta_unregister_fn, "ta_unregister", ()) {
  static Result r;
  xloper self, name, module;
  Text procedure("ta_unregister");
  if (Excel4(xlGetName, &module, 0) != xlretSuccess) return r.set(errorValue(xlerrNA));
  if (Excel4(xlfRegisterId, &self, 2, &module, &procedure.x) == xlretSuccess && self.xltype == xltypeNum)
    lazyIds.push_back(self.val.num);
  Excel4(xlFree, nullptr, 1, &module);
  int taken = 0;
  for (double id : lazyIds) {
    name = number(id);
    xloper done;
    taken += Excel4(xlfUnregister, &done, 1, &name) == xlretSuccess && done.xltype == xltypeBool && done.val.xbool;
  }
  lazyIds.clear();
  return r.set(number(taken));
}

XLL_PROC(int, ta_cmd_fn, "ta_cmd", ()) {
  int answer = MessageBoxA(GetActiveWindow(), "Proceed?", "TA", MB_OKCANCEL);
  Text t(answer == IDOK ? "ok" : "cancel");
  Excel4(xlcAlert, nullptr, 1, &t.x);
  return answer;
}
