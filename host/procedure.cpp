// Calling a registered procedure: its type text read into libffi's call
// frame, each argument laid out as its type letter asks, the result read back.
#include <ffi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "host/fp_state.h"
#include "host/impl.h"
#include "host/text.h"

#ifdef _WIN32
constexpr ffi_abi kProcedureAbi = FFI_STDCALL;  // registered procedures are __stdcall
#else
constexpr ffi_abi kProcedureAbi = FFI_DEFAULT_ABI;
#endif

namespace xlsim {

namespace {

// A number that is not finite becomes #NUM!, alone or in an array.
Value& finite(Value& v) {
  if (v.kind == Value::Number && !std::isfinite(v.num)) v = Value::error(xlerrNum);
  if (v.kind == Value::Array)
    for (auto& e : v.elements)
      if (e.kind == Value::Number && !std::isfinite(e.num)) e = Value::error(xlerrNum);
  return v;
}

// A text as a reason quotes it: at most 40 characters.
std::string clipped(const std::string& s) { return s.size() <= 40 ? s : s.substr(0, 37) + "..."; }

// One letter of a type text with its suffixes.
struct Letter {
  char code = 0;
  bool macro = false;
  bool vol = false;
};

bool parseType(const std::string& t, std::vector<Letter>& out) {
  for (char c : t) {
    if (c == '#' || c == '!' || c == '$' || c == '&' || c == '%') {
      if (out.empty()) return false;
      if (c == '#') out.back().macro = true;
      if (c == '!') out.back().vol = true;
    } else if (std::isalnum(static_cast<unsigned char>(c))) {
      out.push_back(Letter{static_cast<char>(std::toupper(static_cast<unsigned char>(c)))});
    } else {
      return false;
    }
  }
  return !out.empty();
}

ffi_type* ffiType(char code) {
  switch (code) {
    case 'A': return &ffi_type_sint16;
    case 'B': return &ffi_type_double;
    case 'J': return &ffi_type_sint32;
    case 'C':
    case 'F':
    case 'K':
    case 'P':
    case 'R': return &ffi_type_pointer;
    default: return nullptr;
  }
}

union Slot {
  int16_t a;
  double b;
  int32_t j;
  void* p;
};

// Lays one argument out in its slot as the type letter asks. False either
// with an error value of the argument to pass on in instead, or, when the
// host refuses the argument itself (the call gives #VALUE!), with what is
// wrong with it in why (a text ending in ':' is to be followed by the
// argument's value).
template <class ReadScalar, class ReadValue>
bool layOut(char letter, const Arg& a, ReadScalar readScalar, ReadValue readValue, Slot& slot, Arena& arena,
            Value& instead, const char*& why) {
  auto fail = [&](const Value& v) {
    instead = v;
    return false;
  };
  auto refuse = [&](const char* reason) {
    why = reason;
    return false;
  };
  switch (letter) {
    case 'A':
    case 'B':
    case 'J': {
      Value hold, err;
      const Value* v = &readScalar(a, hold);
      Value flag;
      if (v->kind == Value::Text && letter == 'A') {
        std::string t = lowerText(v->str);
        if (t == "true" || t == "false") v = &(flag = Value::boolean(t == "true"));
      }
      double x = 0;
      if (!numberOf(*v, x, err)) return v->kind == Value::Text ? refuse("is not a number:") : fail(err);
      if (letter == 'B') {
        slot.b = x;
      } else if (letter == 'A') {
        slot.a = x != 0 ? 1 : 0;
      } else {
        x = std::trunc(x);
        if (!(x >= std::numeric_limits<int32_t>::min() && x <= std::numeric_limits<int32_t>::max()))
          return refuse("is out of the range of a 32-bit whole number:");
        slot.j = static_cast<int32_t>(x);
      }
      break;
    }
    case 'C':
    case 'F': {
      Value hold;
      const Value& v = readScalar(a, hold);
      std::string number;
      std::string_view s;
      switch (v.kind) {
        case Value::Text: s = v.str; break;
        case Value::Number: s = number = numberText(v.num); break;
        case Value::Boolean: s = v.flag ? "TRUE" : "FALSE"; break;
        case Value::Nil:
        case Value::Missing: break;
        case Value::Error: return fail(v);
        default: return fail(Value::error(xlerrValue));
      }
      s = s.substr(0, std::min(s.size(), size_t{255}));
      size_t size = letter == 'F' ? 256 : s.size() + 1;
      char* buf = static_cast<char*>(arena.alloc(size));
      if (!s.empty()) std::memcpy(buf, s.data(), s.size());
      slot.p = buf;
      break;
    }
    case 'K': {
      Value v = readValue(a);
      if (v.kind == Value::Missing) return refuse("is missing where numbers are needed");
      int rows = 1, cols = 1;
      std::vector<Value> el{v};
      if (v.kind == Value::Array) {
        rows = v.rows;
        cols = v.columns;
        el = v.elements;
      }
      if (rows > 65535 || cols > 65535) return refuse("has more than 65,535 rows or columns");
      FP* fp = static_cast<FP*>(arena.alloc(sizeof(FP) + sizeof(double) * el.size()));
      fp->rows = static_cast<unsigned short>(rows);
      fp->columns = static_cast<unsigned short>(cols);
      for (size_t k = 0; k < el.size(); ++k) {
        const Value& e = el[k];
        if (e.kind == Value::Number)
          fp->array[k] = e.num;
        else if (e.kind == Value::Nil)
          fp->array[k] = 0;
        else if (e.kind == Value::Error)
          return fail(e);
        else
          return refuse("holds a value that is not a number");
      }
      slot.p = fp;
      break;
    }
    case 'P': {
      xloper* x = static_cast<xloper*>(arena.alloc(sizeof(xloper)));
      putValue(readValue(a), *x, arena);
      slot.p = x;
      break;
    }
    case 'R': {
      xloper* x = static_cast<xloper*>(arena.alloc(sizeof(xloper)));
      if (a.isReference && onSheet(a.area))
        putReference(a.area, *x, arena, false);
      else
        putValue(a.isReference ? Value::error(xlerrRef) : a.value, *x, arena);
      slot.p = x;
      break;
    }
    default: return fail(Value::error(xlerrValue));
  }
  return true;
}

constexpr size_t kDirectMost = 4;

// A procedure that takes and gives pointers only, called as such.
void* callDirect(void* fn, const Slot* s, size_t n) {
  using P = void*;
  switch (n) {
    case 0: return reinterpret_cast<P(WINAPI*)()>(fn)();
    case 1: return reinterpret_cast<P(WINAPI*)(P)>(fn)(s[0].p);
    case 2: return reinterpret_cast<P(WINAPI*)(P, P)>(fn)(s[0].p, s[1].p);
    case 3: return reinterpret_cast<P(WINAPI*)(P, P, P)>(fn)(s[0].p, s[1].p, s[2].p);
    default: return reinterpret_cast<P(WINAPI*)(P, P, P, P)>(fn)(s[0].p, s[1].p, s[2].p, s[3].p);
  }
}

}  // namespace

const Host::Impl::Prepared& Host::Impl::prepare(const Registration& reg) {
  if (&reg == lastReg) return *lastPrepared;
  const size_t index = static_cast<size_t>(&reg - regs.data());
  if (index >= prepared.size()) prepared.resize(regs.size());
  std::unique_ptr<Prepared>& slot = prepared[index];
  lastReg = &reg;
  if (slot) return *(lastPrepared = slot.get());
  slot = std::make_unique<Prepared>();
  Prepared& p = *slot;
  lastPrepared = &p;
  p.calls = &timesCalled[lowerText(reg.functionText)];
  std::vector<Letter> letters;
  if (!reg.address || !parseType(reg.typeText, letters)) return p;
  p.ret = letters[0].code;
  ffi_type* rtype = ffiType(p.ret);
  if (!rtype || p.ret == 'F' || p.ret == 'K') return p;
  for (size_t i = 1; i < letters.size(); ++i) {
    ffi_type* t = ffiType(letters[i].code);
    if (!t) return p;
    p.params += letters[i].code;
    p.types.push_back(t);
  }
  p.ok = ffi_prep_cif(&p.cif, kProcedureAbi, static_cast<unsigned>(p.types.size()), rtype,
                      p.types.data()) == FFI_OK;
  p.direct = rtype == &ffi_type_pointer && p.types.size() <= kDirectMost &&
             std::all_of(p.types.begin(), p.types.end(), [](ffi_type* t) { return t == &ffi_type_pointer; });
  return p;
}

Arg Host::Impl::cannotCall(const Registration& reg, const Area* caller, const std::string& why) {
  note(caller, [&] { return reg.functionText + " cannot be called: " + why + " (#VALUE!)"; });
  return Arg(Value::error(xlerrValue));
}

Arg Host::Impl::refused(const Registration& reg, const Area* caller, size_t index, char letter, const Arg& arg,
                        Value&& instead) {
  // where one value is needed a range of several cells reads as #VALUE!
  if (!refusal && arg.isReference && !arg.area.single() && letter != 'K' && letter != 'P' && letter != 'R')
    refusal = "is a range of several cells where one value is needed";
  if (!refusal) return Arg(std::move(instead));
  std::string why = "argument " + std::to_string(index + 1) + " " + refusal;
  if (why.back() == ':') {
    ++readOnly;
    why += " " + clipped(scalarOf(arg).display());
    --readOnly;
  }
  refusal = nullptr;
  return cannotCall(reg, caller, why);
}

// The call may register or unregister functions: regs may move, so reg is
// not read after it; prep stays where it is.
Arg Host::Impl::invoke(const Registration& reg, std::vector<Arg>& args, const Area* callerArea) {
  const Prepared& prep = prepare(reg);
  if (!prep.ok) return cannotCall(reg, callerArea, "the host cannot call its type text \"" + reg.typeText + "\"");
  void* fn = reg.address;
  const std::string& params = prep.params;
  if (args.size() > params.size())
    return cannotCall(reg, callerArea, "it takes at most " + std::to_string(params.size()) + " argument" +
                                           (params.size() == 1 ? "" : "s") + ", not " + std::to_string(args.size()));
  if (args.size() < params.size()) args.resize(params.size(), Arg(Value::missing()));
  Frame frame;
  frame.hasCaller = callerArea != nullptr;
  if (callerArea) frame.caller = *callerArea;
  const size_t mark = needs.size();
  // Arguments that read an uncalculated cell: the call waits until it is.
  auto readValue = [&](const Arg& a) {
    Value v = resolve(a);
    if (needs.size() > mark) throw NeedsCalc{};
    return v;
  };
  auto readScalar = [&](const Arg& a, Value& hold) -> const Value& {
    const Value& v = scalarRef(a, hold);
    if (needs.size() > mark) throw NeedsCalc{};
    return v;
  };

  Arena arena;
  // a few arguments in place, more on the heap
  constexpr size_t kInPlace = 8;
  Slot slotsHere[kInPlace];
  void* ptrsHere[kInPlace];
  std::vector<Slot> slotsMore(params.size() > kInPlace ? params.size() : 0);
  std::vector<void*> ptrsMore(slotsMore.size());
  Slot* slots = slotsMore.empty() ? slotsHere : slotsMore.data();
  void** ptrs = ptrsMore.empty() ? ptrsHere : ptrsMore.data();
  Value instead;
  try {
    for (size_t i = 0; i < params.size(); ++i) {
      ptrs[i] = &slots[i];
      if (!layOut(params[i], args[i], readScalar, readValue, slots[i], arena, instead, refusal))
        return refused(reg, callerArea, i, params[i], args[i], std::move(instead));
    }
  } catch (const NeedsCalc&) {
    return bail();
  }

  union {
    ffi_arg i;
    double d;
    void* p;
  } rv;
  std::memset(&rv, 0, sizeof rv);
  {
    FramePush top(frames, frame);
    AddinFpState fp;
    if (prep.direct) {
      rv.p = callDirect(fn, slots, params.size());
    } else {
      ffi_cif cif = prep.cif;  // ffi_call takes it non-const
      ffi_call(&cif, FFI_FN(fn), &rv, ptrs);
    }
  }
  ++*prep.calls;
  // the function met an uncalculated cell through a host call: calculate it
  // and call again; what it returned now does not count
  if (needs.size() > mark) return bail();

  switch (prep.ret) {
    case 'A': return Arg(Value::boolean(static_cast<int16_t>(rv.i) != 0));
    case 'B': {
      Value v = Value::number(rv.d);
      return Arg(std::move(finite(v)));
    }
    case 'J': return Arg(Value::number(static_cast<int32_t>(rv.i)));
    case 'C': {
      const char* s = static_cast<const char*>(rv.p);
      if (!s) return Arg(Value::error(xlerrNum));
      return Arg(Value::text(std::string(s, strnlen(s, 255))));
    }
    default: {
      const xloper* x = static_cast<const xloper*>(rv.p);
      if (!x) return Arg(Value::error(xlerrNum));
      Arg r = getArg(x);
      if (!r.isReference) finite(r.value);
      return r;
    }
  }
}

int Host::runCommand(const std::string& macroText) {
  const std::string key = lowerText(macroText);
  for (auto it = impl_->regs.rbegin(); it != impl_->regs.rend(); ++it) {
    if (!it->active() || it->macroType != 2 || lowerText(it->functionText) != key || !it->address) continue;
    auto proc = reinterpret_cast<int(WINAPI*)()>(it->address);
    ++impl_->timesCalled[key];
    FramePush top(impl_->frames, Impl::Frame{});
    AddinFpState fp;
    return proc();
  }
  return -1;
}

}  // namespace xlsim
