// Queries on host values that need no ownership: shape, element access,
// equality and the numeric reading.
#pragma once

#include <cmath>
#include <cstring>
#include <cwctype>
#include <limits>
#include <string>
#include <utility>

#include "xll/ensure.h"
#include "xll/traits.h"

namespace xll {

// Letter case folded as the "C" locale does.
inline int foldCase(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
}
inline int foldCase(XCHAR c) { return static_cast<int>(std::towlower(static_cast<wint_t>(c))); }

// Count of a counted text (0 for a null text).
inline size_t textCount(const char* s) { return s ? static_cast<unsigned char>(s[0]) : 0; }
inline size_t textCount(const XCHAR* s) { return s ? static_cast<size_t>(s[0]) : 0; }

// Length of a zero-terminated text (0 for null).
inline size_t zlength(const char* s) { return s ? std::strlen(s) : 0; }
inline size_t zlength(const XCHAR* s) {
  size_t n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

// Characters equal without regard to letter case.
template <class C>
bool equalNoCase(const C* a, const C* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

// Rows and columns: an array's, a reference's first area's; none for missing
// and nil values; one by one for every other kind.
template <class R>
std::pair<size_t, size_t> area(const R& r) {
  return {static_cast<size_t>(r.rwLast) - r.rwFirst + 1,
          static_cast<size_t>(r.colLast) - r.colFirst + 1};
}

template <class X>
std::pair<size_t, size_t> shape(const X& x) {
  switch (x.xltype) {
    case xltypeMulti:
      return {static_cast<size_t>(x.val.array.rows), static_cast<size_t>(x.val.array.columns)};
    case xltypeSRef:
      return area(x.val.sref.ref);
    case xltypeRef:
      if (!x.val.mref.lpmref || x.val.mref.lpmref->count == 0) return {0, 0};
      return area(x.val.mref.lpmref->reftbl[0]);
    case xltypeMissing:
    case xltypeNil:
      return {0, 0};
    default:
      return {1, 1};
  }
}

template <class X>
size_t rows(const X& x) {
  return shape(x).first;
}

template <class X>
size_t columns(const X& x) {
  return shape(x).second;
}

template <class X>
size_t size(const X& x) {
  return rows(x) * columns(x);
}

// Element i (row-major) of an array; any other value is its own element.
template <class X>
const X& index(const X& x, size_t i) {
  XLL_ENSURE("xll::index", i < size(x));
  return x.xltype == xltypeMulti ? x.val.array.lparray[i] : x;
}
template <class X>
X& index(X& x, size_t i) {
  return const_cast<X&>(index(static_cast<const X&>(x), i));
}

template <class X>
const X& index(const X& x, size_t i, size_t j) {
  XLL_ENSURE("xll::index", i < rows(x));
  XLL_ENSURE("xll::index", j < columns(x));
  return x.xltype == xltypeMulti ? x.val.array.lparray[i * columns(x) + j] : x;
}
template <class X>
X& index(X& x, size_t i, size_t j) {
  return const_cast<X&>(index(static_cast<const X&>(x), i, j));
}

template <class X>
bool equal(const X& a, const X& b) {
  if (a.xltype != b.xltype) return false;
  switch (a.xltype) {
    case xltypeMissing:
    case xltypeNil:
      return true;
    case xltypeNum:
      return a.val.num == b.val.num;
    case xltypeStr: {
      size_t n = textCount(a.val.str);
      return n == textCount(b.val.str) && equalNoCase(a.val.str + 1, b.val.str + 1, n);
    }
    case xltypeBool:
      return a.val.xbool == b.val.xbool;
    case xltypeErr:
      return a.val.err == b.val.err;
    case xltypeInt:
      return a.val.w == b.val.w;
    case xltypeSRef:
      return a.val.sref.ref.rwFirst == b.val.sref.ref.rwFirst &&
             a.val.sref.ref.rwLast == b.val.sref.ref.rwLast &&
             a.val.sref.ref.colFirst == b.val.sref.ref.colFirst &&
             a.val.sref.ref.colLast == b.val.sref.ref.colLast;
    case xltypeRef: {
      // Same sheet and the same areas in the same order.
      if (a.val.mref.idSheet != b.val.mref.idSheet) return false;
      const auto* ma = a.val.mref.lpmref;
      const auto* mb = b.val.mref.lpmref;
      size_t na = ma ? ma->count : 0, nb = mb ? mb->count : 0;
      if (na != nb) return false;
      for (size_t k = 0; k < na; ++k) {
        const auto &ra = ma->reftbl[k], &rb = mb->reftbl[k];
        if (ra.rwFirst != rb.rwFirst || ra.rwLast != rb.rwLast || ra.colFirst != rb.colFirst ||
            ra.colLast != rb.colLast)
          return false;
      }
      return true;
    }
    case xltypeMulti: {
      if (rows(a) != rows(b) || columns(a) != columns(b)) return false;
      for (size_t i = 0, n = size(a); i < n; ++i)
        if (!equal(a.val.array.lparray[i], b.val.array.lparray[i])) return false;
      return true;
    }
    default:
      return false;
  }
}

// The numeric reading of a value.
template <class X>
double to_double(const X& x) {
  static const double nan = std::numeric_limits<double>::quiet_NaN();
  switch (x.xltype) {
    case xltypeNum:
      return x.val.num;
    case xltypeStr:
      return static_cast<double>(textCount(x.val.str));
    case xltypeBool:
      return x.val.xbool ? 1 : 0;
    case xltypeInt:
      return x.val.w;
    case xltypeErr:
    case xltypeMissing:
    case xltypeNil:
      return 0;
    case xltypeMulti: {
      size_t n = size(x);
      if (n == 1) return to_double(x.val.array.lparray[0]);
      for (size_t i = 0; i < n; ++i)
        if (to_double(x.val.array.lparray[i]) == 0) return 0;
      return 1;
    }
    default:
      return nan;
  }
}

}  // namespace xll

inline bool operator==(const xloper& a, const xloper& b) { return xll::equal(a, b); }
inline bool operator!=(const xloper& a, const xloper& b) { return !xll::equal(a, b); }
inline bool operator==(const xloper12& a, const xloper12& b) { return xll::equal(a, b); }
inline bool operator!=(const xloper12& a, const xloper12& b) { return !xll::equal(a, b); }
