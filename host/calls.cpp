// The host functions an add-in can call back, for the classic and the wide
// entry.
#include <algorithm>
#include <cmath>
#include <utility>

#include "host/impl.h"
#include "host/text.h"

namespace xlsim {

namespace {

// Nesting of xlfEvaluate the host allows: a formula may nest 64 levels.
constexpr int kMaxEvaluateDepth = 64;

// Argument counts each host function accepts.
bool countFits(int xlfn, size_t n) {
  auto within = [n](size_t lo, size_t hi) { return n >= lo && n <= hi; };
  switch (xlfn) {
    case xlFree: return within(0, 255);
    case xlCoerce: return within(1, 2);
    case xlSheetNm: return within(1, 1);
    case xlGetHwnd:
    case xlGetName:
    case xlfCaller: return n == 0;
    case xlfValue:
    case xlfDay:
    case xlfMonth:
    case xlfYear:
    case xlfDialogBox:
    case xlfUnregister:
    case xlfEvaluate: return n == 1;
    case xlfText: return n == 2;
    case xlfSearch: return within(2, 3);
    case xlfLeft:
    case xlfReftext: return within(1, 2);
    case xlfRegister: return within(2, 255);
    case xlfRegisterId: return within(2, 3);
    case xlfConcatenate: return within(1, 255);
    case xlcAlert: return within(1, 3);
    default: return true;
  }
}

// Text of a value as the host's text functions read it; false for an error
// (whose value is then in err).
bool textOf(const Value& v, std::string& s, Value& err) {
  switch (v.kind) {
    case Value::Text: s = v.str; return true;
    case Value::Number: s = numberText(v.num); return true;
    case Value::Boolean: s = v.flag ? "TRUE" : "FALSE"; return true;
    case Value::Nil:
    case Value::Missing: s.clear(); return true;
    case Value::Error: err = v; return false;
    case Value::Array: return textOf(v.elements[0], s, err);
  }
  return false;
}

// Number of a value as the host's numeric functions read it (number texts
// and yyyy-mm-dd dates included).

unsigned kindBit(const Value& v) {
  switch (v.kind) {
    case Value::Number: return xltypeNum;
    case Value::Text: return xltypeStr;
    case Value::Boolean: return xltypeBool;
    case Value::Error: return xltypeErr;
    case Value::Array: return xltypeMulti;
    case Value::Missing: return xltypeMissing;
    case Value::Nil: return xltypeNil;
  }
  return 0;
}

// xlCoerce's conversion to one of the kinds of a mask.
Value coerceTo(Value v, unsigned mask) {
  if (kindBit(v) & mask) return v;
  if (mask & xltypeMulti) return Value::array(1, 1, {v});
  if (v.kind == Value::Array) v = v.elements[0];
  if (kindBit(v) & mask) return v;
  if (v.kind == Value::Error) return v;
  if (mask & xltypeNum) {
    double x;
    Value err;
    if (numberOf(v, x, err)) return Value::number(x);
  }
  if (mask & xltypeStr) {
    std::string s;
    Value err;
    if (textOf(v, s, err)) return Value::text(s);
  }
  if (mask & xltypeBool) {
    if (v.kind == Value::Number) return Value::boolean(v.num != 0);
    if (v.kind == Value::Nil) return Value::boolean(false);
    if (v.kind == Value::Text) {
      std::string t = lowerText(v.str);
      if (t == "true" || t == "false") return Value::boolean(t == "true");
    }
  }
  return Value::error(xlerrValue);
}

std::string textAt(const std::vector<Value>& e, size_t i) {
  if (i >= e.size()) return std::string();
  if (e[i].kind == Value::Text) return e[i].str;
  if (e[i].kind == Value::Number) return numberText(e[i].num);
  return std::string();
}

}  // namespace

bool Host::Impl::checkFailure(int xlfn, int& code) {
  if (failures.empty()) return false;
  auto it = failures.find(xlfn);
  if (it == failures.end()) return false;
  code = it->second.code;
  if (!it->second.always) failures.erase(it);
  return true;
}

template <class X>
void Host::Impl::handOut(const Arg& r, X& x) {
  auto arena = std::make_unique<Arena>();
  if (r.isReference)
    putReference(r.area, x, *arena, true);
  else
    putValue(r.value, x, *arena);
  if (const void* key = storageKey(x)) owned[key] = std::move(arena);
}

template <class X>
void Host::Impl::freeOwned(X* x) {
  if (!x) return;
  if (const void* key = storageKey(*x)) owned.erase(key);
}

std::string Host::Impl::reftext(const Area& a, bool a1) const {
  std::string s = std::string("[") + kBookName + "]" + kSheetName + "!";
  if (a1) return s + areaText(a, true);
  auto cell = [](int r, int c) { return "R" + std::to_string(r + 1) + "C" + std::to_string(c + 1); };
  s += cell(a.row1, a.col1);
  if (!a.single()) s += ":" + cell(a.row2, a.col2);
  return s;
}

// Both call-back paths: the classic one and the wide entry.
template <class X>
int Host::Impl::answer(int xlfn, X* result, int count, X* opers[], bool wide) {
  ++(wide ? wideCounts : counts)[xlfn];
  if (wide && callbackVersion < 0x0C00) return xlretFailed;
  int code;
  if (checkFailure(xlfn, code)) return code;
  if (count < 0 || (count > 0 && !opers) || !countFits(xlfn, static_cast<size_t>(count)))
    return xlretInvCount;
  if (xlfn == xlFree) {
    for (int i = 0; i < count; ++i) freeOwned(opers[i]);
    return xlretSuccess;
  }
  if (xlfn == xlGetHwnd) {
    // The classic value holds the low word of the handle.
    if (result) {
      result->xltype = xltypeInt;
      intptr_t h = reinterpret_cast<intptr_t>(mainWindow);
      result->val.w = wide ? static_cast<int>(h) : static_cast<short>(h & 0xFFFF);
    }
    return xlretSuccess;
  }
  std::vector<Arg> args;
  args.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) args.push_back(getArg(opers[i]));
  Arg r;
  ++inCallback;
  try {
    code = dispatch(xlfn, args, r, wide);
  } catch (...) {
    --inCallback;
    code = xlretFailed;  // nothing escapes into the add-in
    return code;
  }
  --inCallback;
  if (code == xlretSuccess && result) handOut(r, *result);
  return code;
}

int Host::Impl::call(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]) {
  return answer(xlfn, result, count, opers, false);
}

int Host::Impl::callWide(int xlfn, LPXLOPER12 result, int count, LPXLOPER12 opers[]) {
  return answer(xlfn, result, count, opers, true);
}

int Host::Impl::dispatch(int xlfn, const std::vector<Arg>& args, Arg& result, bool wide) {
  // Arguments read as they stand: nothing is calculated during a call-back.
  auto current = [this](const Arg& a) {
    ++readOnly;
    Value v = resolve(a);
    --readOnly;
    return v;
  };
  auto arg = [&](size_t i) { return i < args.size() ? current(args[i]) : Value::missing(); };
  Value err;
  switch (xlfn) {
    case xlCoerce: {
      const Arg& x = args[0];
      Value v;
      if (x.isReference && onSheet(x.area)) {
        // an uncalculated cell: the caller is called again once it is
        size_t mark = needs.size();
        noteUncalculated(x.area);
        if (needs.size() > mark) return xlretUncalced;
      }
      v = current(x);
      if (args.size() > 1) {
        Value m = current(args[1]);
        if (m.kind == Value::Number) v = coerceTo(v, static_cast<unsigned>(m.num));
      }
      result = Arg(v);
      return xlretSuccess;
    }
    case xlSheetNm:
      if (!args[0].isReference) return xlretInvXloper;
      result = Arg(Value::text(std::string("[") + kBookName + "]" + kSheetName));
      return xlretSuccess;
    case xlGetName:
      if (path.empty()) return xlretFailed;
      result = Arg(Value::text(path));
      return xlretSuccess;
    case xlfValue: {
      Value v = arg(0);
      double x;
      if (v.kind == Value::Boolean) {
        result = Arg(Value::error(xlerrValue));
      } else if (numberOf(v, x, err)) {
        result = Arg(Value::number(x));
      } else {
        result = Arg(err);
      }
      return xlretSuccess;
    }
    case xlfText: {
      Value v = arg(0);
      double x;
      std::string format;
      if (v.kind == Value::Boolean)
        result = Arg(Value::error(xlerrValue));
      else if (!numberOf(v, x, err) || !textOf(arg(1), format, err))
        result = Arg(err);
      else
        result = Arg(Value::text(formatNumber(x, format)));
      return xlretSuccess;
    }
    case xlfDay:
    case xlfMonth:
    case xlfYear: {
      double x;
      int y, m, d;
      if (!numberOf(arg(0), x, err))
        result = Arg(err);
      else if (!dateFromSerial(x, y, m, d))
        result = Arg(Value::error(xlerrNum));
      else
        result = Arg(Value::number(xlfn == xlfDay ? d : xlfn == xlfMonth ? m : y));
      return xlretSuccess;
    }
    case xlfSearch: {
      std::string find, within;
      double start = 1;
      Value s = arg(2);
      if (!textOf(arg(0), find, err) || !textOf(arg(1), within, err) ||
          (s.kind != Value::Missing && !numberOf(s, start, err))) {
        result = Arg(err);
        return xlretSuccess;
      }
      int pos = start >= 1 && start <= 1e9 ? search(find, within, static_cast<int>(start)) : 0;
      result = Arg(pos > 0 ? Value::number(pos) : Value::error(xlerrValue));
      return xlretSuccess;
    }
    case xlfCaller:
      if (!frames.empty() && frames.back().hasCaller)
        result = Arg::ref(frames.back().caller);
      else
        result = Arg(Value::error(xlerrRef));
      return xlretSuccess;
    case xlfLeft: {
      std::string s;
      double n = 1;
      Value c = arg(1);
      if (!textOf(arg(0), s, err) || (c.kind != Value::Missing && !numberOf(c, n, err)))
        result = Arg(err);
      else if (n < 0)
        result = Arg(Value::error(xlerrValue));
      else
        result = Arg(Value::text(s.substr(0, static_cast<size_t>(std::min<double>(n, s.size())))));
      return xlretSuccess;
    }
    case xlfReftext: {
      if (!args[0].isReference) {
        result = Arg(Value::error(xlerrValue));
        return xlretSuccess;
      }
      Value f = arg(1);
      bool a1 = (f.kind == Value::Boolean && f.flag) || (f.kind == Value::Number && f.num != 0);
      result = Arg(Value::text(reftext(args[0].area, a1)));
      return xlretSuccess;
    }
    case xlfRegister: return doRegister(args, result, wide);
    case xlfRegisterId: {
      std::string module = lowerText(textAt({arg(0)}, 0)), proc = textAt({arg(1)}, 0);
      result = Arg(Value::error(xlerrValue));
      for (auto it = regs.rbegin(); it != regs.rend(); ++it)
        if (it->active() && lowerText(it->module) == module && it->procedure == proc) {
          result = Arg(Value::number(it->id));
          break;
        }
      return xlretSuccess;
    }
    case xlfUnregister: {
      Value id = arg(0);
      if (id.kind != Value::Number) {
        result = Arg(Value::error(xlerrValue));
        return xlretSuccess;
      }
      result = Arg(Value::boolean(false));
      for (auto& r : regs)
        if (r.active() && r.id == id.num) {
          r.unregistered = true;
          registrationsChanged();
          result = Arg(Value::boolean(true));
          break;
        }
      return xlretSuccess;
    }
    case xlfDialogBox: {
      Value table = arg(0);
      if (table.kind != Value::Array || table.columns != 7) {
        result = Arg(Value::error(xlerrValue));
        return xlretSuccess;
      }
      dialogTables.push_back(table);
      if (dialogScript) {
        result = Arg(dialogScript(table));
        return xlretSuccess;
      }
      result = Arg(Value::boolean(false));
      for (int r = 1; r < table.rows; ++r) {
        const Value& kind = table.at(r, 0);
        if (kind.kind == Value::Number && (kind.num == 1 || kind.num == 3)) {
          table.elements[6] = Value::number(r);
          result = Arg(table);
          break;
        }
      }
      return xlretSuccess;
    }
    case xlfEvaluate: {
      Value v = arg(0);
      if (v.kind != Value::Text) {
        result = Arg(v);
        return xlretSuccess;
      }
      Expr e;
      try {
        e = parseFormula(v.str);
      } catch (const std::exception&) {
        result = Arg(Value::error(xlerrValue));
        return xlretSuccess;
      }
      // a text that evaluates itself again ends here, not in a stack overflow
      if (evaluateDepth >= kMaxEvaluateDepth) {
        result = Arg(Value::error(xlerrValue));
        return xlretSuccess;
      }
      size_t mark = needs.size();
      ++evaluateDepth;
      Value r;
      try {
        r = resolve(eval(e));
      } catch (...) {
        --evaluateDepth;
        throw;
      }
      --evaluateDepth;
      if (needs.size() > mark) return xlretUncalced;
      result = Arg(r);
      return xlretSuccess;
    }
    case xlfConcatenate: {
      std::string s;
      for (size_t i = 0; i < args.size(); ++i) {
        std::string t;
        if (!textOf(arg(i), t, err)) {
          result = Arg(err);
          return xlretSuccess;
        }
        s += t;
      }
      result = Arg(s.size() > 255 ? Value::error(xlerrValue) : Value::text(s));
      return xlretSuccess;
    }
    case xlcAlert: {
      std::string s;
      if (!textOf(arg(0), s, err)) s = err.display();
      alerts.push_back(s);
      if (alertSink) alertSink(s);
      result = Arg(Value::boolean(true));
      return xlretSuccess;
    }
    default: return xlretInvXlfn;
  }
}

int Host::Impl::doRegister(const std::vector<Arg>& args, Arg& result, bool wide) {
  Registration reg;
  reg.wide = wide;
  for (const auto& a : args) {
    ++readOnly;
    reg.elements.push_back(resolve(a));
    --readOnly;
  }
  const auto& e = reg.elements;
  reg.module = textAt(e, 0);
  reg.procedure = textAt(e, 1);
  reg.typeText = textAt(e, 2);
  reg.functionText = textAt(e, 3);
  reg.argumentText = textAt(e, 4);
  if (e.size() > 5 && e[5].kind == Value::Number) reg.macroType = static_cast<int>(e[5].num);
  reg.category = textAt(e, 6);
  reg.shortcut = textAt(e, 7);
  reg.helpTopic = textAt(e, 8);
  reg.functionHelp = textAt(e, 9);
  for (size_t i = 10; i < e.size(); ++i) reg.argumentHelp.push_back(textAt(e, i));

  auto refused = refusals.find(reg.procedure);
  if (refused != refusals.end()) {
    reg.returnCode = refused->second.code;
    if (reg.returnCode == xlretSuccess) reg.result = refused->second.answer;
    regs.push_back(reg);
    registrationsChanged();
    result = Arg(reg.result);
    return reg.returnCode;
  }
  HMODULE h = nullptr;
  if (module && reg.module == path)
    h = static_cast<HMODULE>(module);
  else if (!reg.module.empty())
    h = GetModuleHandleA(reg.module.c_str());
  if (h && !reg.procedure.empty())
    reg.address = reinterpret_cast<void*>(GetProcAddress(h, reg.procedure.c_str()));
  if (!reg.address) {
    reg.result = Value::error(xlerrValue);
  } else {
    reg.id = nextId++;
    reg.accepted = true;
    reg.result = Value::number(reg.id);
  }
  regs.push_back(reg);
  registrationsChanged();
  result = Arg(reg.result);
  return xlretSuccess;
}

}  // namespace xlsim

#ifdef _WIN32
#define XLSIM_ENTRY extern "C" __declspec(dllexport)
#else
#define XLSIM_ENTRY extern "C" __attribute__((visibility("default")))
#endif
XLSIM_ENTRY int WINAPI MdCallBack12(int xlfn, int count, LPXLOPER12 opers[], LPXLOPER12 res) {
  xlsim::Host::Impl* h = xlsim::liveImpl();
  if (!h) return xlretFailed;
  return h->callWide(xlfn, res, count, opers);
}
