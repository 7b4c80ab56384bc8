// Internal: laying host values into the add-in's structures and reading them
// back, for the classic and the wide value.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/text.h"

namespace xlsim {

// Owns the storage of values laid out for the add-in: zeroed blocks, the
// first few hundred bytes in place.
class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;
  void* alloc(size_t n) {
    n = (n + kAlign - 1) / kAlign * kAlign;
    if (n == 0) n = kAlign;
    if (n <= sizeof here_ - used_) {
      void* p = here_ + used_;
      used_ += n;
      return std::memset(p, 0, n);  // zeroed, as the chunks are
    }
    chunks_.emplace_back(new unsigned char[n]());
    return chunks_.back().get();
  }

 private:
  static constexpr size_t kAlign = alignof(std::max_align_t);
  alignas(std::max_align_t) unsigned char here_[512];  // zeroed as handed out
  size_t used_ = 0;
  std::vector<std::unique_ptr<unsigned char[]>> chunks_;
};

template <class X>
struct Layout;

template <>
struct Layout<xloper> {
  using Char = char;
  using Ref = XLREF;
  using MRef = XLMREF;
  static constexpr size_t maxChars = 255;
  static constexpr int maxRows = 65535;
  static constexpr int maxCols = 255;
};

template <>
struct Layout<xloper12> {
  using Char = XCHAR;
  using Ref = XLREF12;
  using MRef = XLMREF12;
  static constexpr size_t maxChars = 32767;
  static constexpr int maxRows = 1048576;
  static constexpr int maxCols = 16384;
};

// The number a value reads as (an array: its first element); false with the
// error value to show.
inline bool numberOf(const Value& v, double& x, Value& err) {
  switch (v.kind) {
    case Value::Number: x = v.num; return true;
    case Value::Nil:
    case Value::Missing: x = 0; return true;
    case Value::Boolean: x = v.flag ? 1 : 0; return true;
    case Value::Text:
      if (valueOfText(v.str, x)) return true;
      err = Value::error(xlerrValue);
      return false;
    case Value::Error: err = v; return false;
    case Value::Array: return numberOf(v.elements[0], x, err);
  }
  return false;
}

constexpr unsigned kTypeMask = 0x0FFF;  // without the ownership bits

template <class X>
typename Layout<X>::Char* putText(const std::string& s, Arena& a) {
  using C = typename Layout<X>::Char;
  size_t n = std::min(s.size(), Layout<X>::maxChars);
  C* p = static_cast<C*>(a.alloc((n + 1) * sizeof(C)));
  p[0] = static_cast<C>(n);
  for (size_t i = 0; i < n; ++i) p[i + 1] = static_cast<C>(static_cast<unsigned char>(s[i]));
  return p;
}

template <class X>
std::string getText(const typename Layout<X>::Char* p) {
  if (!p) return std::string();
  size_t n = static_cast<size_t>(p[0]);
  if constexpr (sizeof(typename Layout<X>::Char) == 1) n = static_cast<unsigned char>(p[0]);
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(p[i + 1]);
  return s;
}

template <class X>
void putValue(const Value& v, X& x, Arena& a, int depth = 0) {
  std::memset(&x, 0, sizeof x);
  switch (v.kind) {
    case Value::Nil: x.xltype = xltypeNil; break;
    case Value::Missing: x.xltype = xltypeMissing; break;
    case Value::Number: x.xltype = xltypeNum; x.val.num = v.num; break;
    case Value::Text: x.xltype = xltypeStr; x.val.str = putText<X>(v.str, a); break;
    case Value::Boolean: x.xltype = xltypeBool; x.val.xbool = v.flag ? 1 : 0; break;
    case Value::Error: x.xltype = xltypeErr; x.val.err = static_cast<decltype(x.val.err)>(v.err); break;
    case Value::Array: {
      if (depth > 0 || v.rows <= 0 || v.columns <= 0 || v.rows > Layout<X>::maxRows ||
          v.columns > Layout<X>::maxCols) {
        x.xltype = xltypeErr;
        x.val.err = xlerrValue;
        break;
      }
      size_t n = static_cast<size_t>(v.rows) * static_cast<size_t>(v.columns);
      X* e = static_cast<X*>(a.alloc(n * sizeof(X)));
      for (size_t i = 0; i < n; ++i) putValue(v.elements[i], e[i], a, depth + 1);
      x.xltype = xltypeMulti;
      x.val.array.lparray = e;
      x.val.array.rows = static_cast<decltype(x.val.array.rows)>(v.rows);
      x.val.array.columns = static_cast<decltype(x.val.array.columns)>(v.columns);
      break;
    }
  }
}

template <class X>
void putReference(const Area& area, X& x, Arena& a, bool multi) {
  using R = typename Layout<X>::Ref;
  using M = typename Layout<X>::MRef;
  std::memset(&x, 0, sizeof x);
  R r{};
  r.rwFirst = static_cast<decltype(r.rwFirst)>(area.row1);
  r.rwLast = static_cast<decltype(r.rwLast)>(area.row2);
  r.colFirst = static_cast<decltype(r.colFirst)>(area.col1);
  r.colLast = static_cast<decltype(r.colLast)>(area.col2);
  if (multi) {
    M* m = static_cast<M*>(a.alloc(sizeof(M)));
    m->count = 1;
    m->reftbl[0] = r;
    x.xltype = xltypeRef;
    x.val.mref.lpmref = m;
    x.val.mref.idSheet = kSheetId;
  } else {
    x.xltype = xltypeSRef;
    x.val.sref.count = 1;
    x.val.sref.ref = r;
  }
}

template <class X>
Value getValue(const X& x, int depth = 0) {
  switch (x.xltype & kTypeMask) {
    case xltypeNum: return Value::number(x.val.num);
    case xltypeStr: return Value::text(getText<X>(x.val.str));
    case xltypeBool: return Value::boolean(x.val.xbool != 0);
    case xltypeErr: return Value::error(static_cast<int>(x.val.err));
    case xltypeMissing: return Value::missing();
    case xltypeNil: return Value::nil();
    case xltypeInt: return Value::number(static_cast<double>(x.val.w));
    case xltypeMulti: {
      int r = static_cast<int>(x.val.array.rows), c = static_cast<int>(x.val.array.columns);
      if (depth > 0 || r <= 0 || c <= 0 || !x.val.array.lparray) return Value::error(xlerrValue);
      std::vector<Value> e;
      e.reserve(static_cast<size_t>(r) * static_cast<size_t>(c));
      for (size_t i = 0; i < static_cast<size_t>(r) * static_cast<size_t>(c); ++i)
        e.push_back(getValue(x.val.array.lparray[i], depth + 1));
      return Value::array(r, c, std::move(e));
    }
    default: return Value::error(xlerrValue);
  }
}

// An argument as the host reads it: a reference to an area of the sheet, or
// a value. A reference to another sheet or with no area gives #REF!.
template <class X>
Arg getArg(const X* x) {
  if (!x) return Arg(Value::missing());
  auto area = [](const typename Layout<X>::Ref& r) {
    Area a;
    a.row1 = static_cast<int>(r.rwFirst);
    a.row2 = static_cast<int>(r.rwLast);
    a.col1 = static_cast<int>(r.colFirst);
    a.col2 = static_cast<int>(r.colLast);
    return a;
  };
  switch (x->xltype & kTypeMask) {
    case xltypeSRef: return Arg::ref(area(x->val.sref.ref));
    case xltypeRef:
      if (!x->val.mref.lpmref || x->val.mref.lpmref->count < 1 || x->val.mref.idSheet != kSheetId)
        return Arg(Value::error(xlerrRef));
      return Arg::ref(area(x->val.mref.lpmref->reftbl[0]));
    default: return Arg(getValue(*x));
  }
}

// The pointer that identifies the storage of a value handed out, or null.
template <class X>
const void* storageKey(const X& x) {
  switch (x.xltype & kTypeMask) {
    case xltypeStr: return x.val.str;
    case xltypeMulti: return x.val.array.lparray;
    case xltypeRef: return x.val.mref.lpmref;
    default: return nullptr;
  }
}

}  // namespace xlsim
